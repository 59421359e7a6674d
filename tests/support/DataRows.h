// SPDX-License-Identifier: GPL-3.0-or-later
// Data functions in few lines: the columns in one call, one row per call, and a row's values in
// one declaration.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTest>

#include <tuple>
#include <utility>

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

// The current row's values of the columns named in a comma-separated list, in its order.
template <typename... Types, std::size_t... I>
std::tuple<Types...> fetchAt(const QList<QByteArray> &names, std::index_sequence<I...>) {
    return {*static_cast<Types *>(QTest::qData(names.at(I).constData(), qMetaTypeId<Types>()))...};
}
template <typename... Types>
std::tuple<Types...> fetchColumns(const char *names) {
    QList<QByteArray> list = QByteArray(names).split(',');
    for (QByteArray &name : list)
        name = name.trimmed();
    return fetchAt<Types...>(list, std::index_sequence_for<Types...>());
}
#define DATA_ROWS_TYPES(...) __VA_ARGS__
// FETCH((bool, QString), zone2, window) is QFETCH(bool, zone2) and QFETCH(QString, window).
#define FETCH(Types, ...) auto [__VA_ARGS__] = fetchColumns<DATA_ROWS_TYPES Types>(#__VA_ARGS__)
