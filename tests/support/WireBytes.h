// SPDX-License-Identifier: GPL-3.0-or-later
// Line bytes written the way the traffic log and the simulator name them, e.g. "<STX>07AC1<ETX>".
#pragma once

#include <QByteArray>

#include <utility>

inline QByteArray wire(const char *text) {
    static const std::pair<const char *, char> names[] = {
        {"<STX>", 0x02}, {"<ETX>", 0x03}, {"<DC1>", 0x11},
        {"<DC2>", 0x12}, {"<DC3>", 0x13}, {"<DEL>", 0x7F},
    };
    QByteArray bytes(text);
    for (const auto &[name, byte] : names)
        bytes.replace(name, QByteArray(1, byte));
    return bytes;
}

inline QByteArray commandFrame(const QByteArray &code) {
    return '\x02' + code + '\x03';
}

// The same as text, one character per byte, as the program holds it.
inline QString wireText(const char *text) {
    return QString::fromLatin1(wire(text));
}
