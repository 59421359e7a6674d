// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts the bytes arriving at the receiver's serial input into the frames it understands.
#pragma once

#include <QByteArray>
#include <QList>

namespace Sim {

namespace Byte {
inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char DC1 = 0x11;
inline constexpr char DC2 = 0x12;
inline constexpr char DC3 = 0x13;
inline constexpr char DEL = 0x7F;
} // namespace Byte

struct LineFrame {
    enum class Kind {
        Command,              // STX text ETX
        ConfigurationRequest, // DC1 text ETX, normally "000"
        InterfaceReset,       // DC3 text ETX, normally three DEL
    };
    Kind kind;
    QByteArray body; // the bytes between the opening byte and ETX

    friend bool operator==(const LineFrame &, const LineFrame &) = default;
};

// The receiver reads byte by byte: STX, DC1 or DC3 opens a frame, ETX closes it. An opening
// byte in the middle of a frame starts over, so a frame cut short by the sender is forgotten
// rather than glued to the next one. Bytes outside a frame are line noise and are dropped.
class LineDecoder {
public:
    // The longest body the receiver keeps; anything longer is noise and is dropped whole.
    static constexpr qsizetype kMaxBody = 32;

    QList<LineFrame> feed(const QByteArray &bytes);
    void clear();
    // Bytes dropped as noise since the last call.
    qsizetype takeDiscarded();

private:
    QByteArray m_body;
    char m_opener = 0; // 0 while between frames
    qsizetype m_discarded = 0;
};

} // namespace Sim
