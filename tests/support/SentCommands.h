// SPDX-License-Identifier: GPL-3.0-or-later
// The command texts in the bytes a receiver was sent: what stands between each STX and the ETX
// after it (configuration requests and resets, which have no STX, are left out).
#pragma once

#include <QByteArray>
#include <QStringList>

inline QStringList commandsIn(const QByteArray &bytes) {
    QStringList out;
    qsizetype from = 0;
    while ((from = bytes.indexOf('\x02', from)) >= 0) {
        const qsizetype end = bytes.indexOf('\x03', from);
        if (end < 0) break;
        out << QString::fromLatin1(bytes.mid(from + 1, end - from - 1));
        from = end + 1;
    }
    return out;
}
