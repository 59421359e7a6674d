// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing schedule scripts.
#include "timecontrol/ScriptFile.h"

#include <QString>

namespace {
QByteArray toCodePage(const QString &line) {
#ifdef Q_OS_WIN
    return line.toLocal8Bit();
#else
    // Latin-1 maps every byte to one character and back, so any script reads back unchanged.
    return line.toLatin1();
#endif
}

QString fromCodePage(QByteArrayView bytes) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return QString::fromLatin1(bytes);
#endif
}
} // namespace

QByteArray scriptBytes(const QStringList &lines) {
    QByteArray out;
    for (const QString &line : lines)
        out += toCodePage(line) + "\r\n";
    return out;
}

QStringList scriptLines(const QByteArray &bytes) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') continue;
        lines << fromCodePage(QByteArrayView(bytes).sliced(start, i - start));
        if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n') ++i;
        start = i + 1;
    }
    if (start < size) lines << fromCodePage(QByteArrayView(bytes).sliced(start));
    return lines;
}
