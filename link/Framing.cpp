// SPDX-License-Identifier: GPL-3.0-or-later
// Frame building and message splitting.
#include "link/Framing.h"

namespace Frame {
QString command(QStringView code) {
    QString frame;
    frame.reserve(code.size() + 2);
    frame += STX;
    frame += code;
    frame += ETX;
    return frame;
}

QString configurationRequest() {
    return QString(DC1) + QStringLiteral("000") + ETX;
}

QString interfaceReset() {
    return QString(DC3) + DEL + DEL + DEL + ETX;
}
} // namespace Frame

QString commandRefusal(QStringView command) {
    if (command.size() > MaxCommandLength)
        return QStringLiteral("the command has %1 characters; at most %2 are sent")
            .arg(command.size())
            .arg(MaxCommandLength);
    for (qsizetype i = 0; i < command.size(); ++i) {
        const char16_t u = command.at(i).unicode();
        if (u < 0x20 || u > 0x7E)
            return QStringLiteral("the command holds %1 at position %2; only printable ASCII "
                                  "characters (0x20 to 0x7E) are sent")
                .arg(readableLineText(command.mid(i, 1)))
                .arg(i + 1);
    }
    return QString();
}

QStringList splitMessages(QStringView received) {
    QStringList messages;
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = received.indexOf(Frame::STX, from);
        if (p < 0) break;
        const qsizetype q = received.indexOf(Frame::ETX, p);
        if (q < 0) break; // no ETX after this STX, so none after any later one either
        messages << received.mid(p + 1, q - p - 1).toString();
        from = p + 1;
    }
    return messages;
}

QString ReportTail::join(QStringView received, qint64 nowMs) {
    if (!m_tail.isEmpty() && nowMs - m_since > MaxAgeMs) m_tail.clear();
    const bool hadTail = !m_tail.isEmpty();
    QString text = m_tail;
    text += received;
    m_tail.clear();
    const qsizetype lastStx = text.lastIndexOf(Frame::STX);
    if (lastStx >= 0 && text.indexOf(Frame::ETX, lastStx) < 0 &&
        text.size() - lastStx <= MaxLength) {
        m_tail = text.mid(lastStx);
        // A tail that only grew keeps its age: it goes a second after its STX came.
        if (!hadTail || lastStx != 0) m_since = nowMs;
    }
    return text;
}

QString readableLineText(QStringView text) {
    static const char *const names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    QString shown;
    shown.reserve(text.size() + 16);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            shown += QLatin1Char('<') + QLatin1String(names[u]) + QLatin1Char('>');
        else if (u == 0x7F)
            shown += QLatin1String("<DEL>");
        else if (u > 0x7F)
            shown += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QByteArray toLineBytes(QStringView text) {
    return text.toLatin1();
}

QString fromLineBytes(const QByteArray &bytes) {
    return QString::fromLatin1(bytes);
}
