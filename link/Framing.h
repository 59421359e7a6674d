// SPDX-License-Identifier: GPL-3.0-or-later
// Frames on the wire to and from the receiver, and the cutting of received text into messages.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Frame {
inline constexpr QChar STX = QChar(0x02);
inline constexpr QChar ETX = QChar(0x03);
inline constexpr QChar DC1 = QChar(0x11);
inline constexpr QChar DC2 = QChar(0x12);
inline constexpr QChar DC3 = QChar(0x13);
inline constexpr QChar DEL = QChar(0x7F);
// The longest a write or an answer may take, in ms.
inline constexpr int ExchangeMs = 800;
// How often the configuration block is asked for before a line is taken as silent.
inline constexpr int ConfigurationRequests = 4;

// STX, the command text, ETX.
QString command(QStringView code);
// DC1 "000" ETX: asks the receiver for its configuration block.
QString configurationRequest();
// DC3 DEL DEL DEL ETX: resets the receiver's serial interface.
QString interfaceReset();
} // namespace Frame

// What keeps a command text off the line: "" when it may be sent, else a sentence saying what is
// wrong. A command from an add-in (in the program or on the session bus) is sent only when it is
// at most MaxCommandLength characters of printable ASCII (0x20 to 0x7E), so that nobody can put
// frame bytes (STX, ETX, DC1 to DC4, DEL) or a flood on the line.
inline constexpr qsizetype MaxCommandLength = 16;
QString commandRefusal(QStringView command);

// Every message of a received text: the text between an STX and the first ETX after it.
// A frame without its STX (the tail of a frame cut between two reads) yields nothing, an STX
// without a later ETX yields nothing, and an STX standing before a complete frame yields the
// text up to that frame's ETX before the frame itself is yielded again.
QStringList splitMessages(QStringView received);

// The port poll's reads joined across ticks: a report that arrives while the poll reads is cut
// in two, so the unfinished tail of one read (from the last STX without an ETX after it) is
// kept and put in front of the next read. A tail is dropped once it is older than a second or
// longer than 1 KB without its ETX, so that line noise cannot grow it.
class ReportTail {
public:
    static constexpr qsizetype MaxLength = 1024;
    static constexpr qint64 MaxAgeMs = 1000;

    // The text to cut into messages: the kept tail (unless it has grown stale) followed by what
    // was read at nowMs; the unfinished tail of that text is kept for the next read.
    QString join(QStringView received, qint64 nowMs);
    void clear() { m_tail.clear(); }
    const QString &tail() const { return m_tail; }

private:
    QString m_tail;
    qint64 m_since = 0;
};

// The text with its control bytes named ("<STX>07A1D<ETX>") and bytes above 0x7E in hex ("<c4>"),
// for people reading the traffic; fonts draw raw control characters as empty boxes.
QString readableLineText(QStringView text);

// Bytes on the line and text in the program are the same thing: one character per byte.
QByteArray toLineBytes(QStringView text);
QString fromLineBytes(const QByteArray &bytes);
