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

QByteArray toLineBytes(QStringView text) {
    return text.toLatin1();
}

QString fromLineBytes(const QByteArray &bytes) {
    return QString::fromLatin1(bytes);
}
