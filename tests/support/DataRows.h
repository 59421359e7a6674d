// One row of test data in one call, which keeps it on one line: row("name", a, b) is
// QTest::newRow("name") << a << b, text in quotes filling a QString column.
#pragma once

#include <QTest>

template <typename... Values>
void row(const char *name, Values... values) {
    (QTest::newRow(name) << ... << values);
}
