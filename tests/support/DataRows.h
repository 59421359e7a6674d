// SPDX-License-Identifier: GPL-3.0-or-later
// Data functions in few lines: the columns in one call, and one row per call.
#pragma once

#include <QTest>

// columns<bool, QString>("zone2", "window") adds both columns.
template <typename... Types, typename... Names>
void columns(Names... names) {
    (QTest::addColumn<Types>(names), ...);
}

// row("name", a, b) is QTest::newRow("name") << a << b, text in quotes filling a QString column.
template <typename... Values>
void row(const char *name, Values... values) {
    (QTest::newRow(name) << ... << values);
}
