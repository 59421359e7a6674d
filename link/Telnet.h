// SPDX-License-Identifier: GPL-3.0-or-later
// The Telnet byte stream of a receiver reached through an RFC 2217 (COM-PORT-OPTION) bridge.
#pragma once

#include <QByteArray>

#include <array>

namespace Telnet {
// What a client sends right after the connection is made to an RFC 2217 server:
// IAC WILL BINARY, IAC DO BINARY, IAC WILL SGA, IAC DO SGA, IAC WILL COM-PORT-OPTION, then the
// subnegotiations that set the far port to 9600 baud (SET-BAUDRATE, 4 bytes big-endian),
// 8 data bits (SET-DATASIZE 8), no parity (SET-PARITY 1), 1 stop bit (SET-STOPSIZE 1) and no
// flow control (SET-CONTROL 1), each IAC SB 44 <cmd> <value> IAC SE, with any 0xFF inside a value
// doubled.
QByteArray sessionStart();
// Data for the line with each 0xFF (IAC) doubled.
QByteArray escape(const QByteArray &data);

// The far port's settings as the server confirmed them (its answers, command codes + 100);
// 0 = not confirmed yet.
struct FarPort {
    quint32 baud = 0;
    int dataSize = 0;
    int parity = 0;
    int stopSize = 0;
    int control = 0;
    bool operator==(const FarPort &) const = default;
};

// Reads the server's stream. State is kept between calls: a command or subnegotiation cut between
// two reads is completed by the next. IAC IAC gives one 0xFF data byte; other commands
// (NOP, GA, ...) and all negotiation are taken out of the data.
//
// Options are negotiated as RFC 1143 has it, so that no request is answered twice and no two ends
// answer each other for ever: we want BINARY and SGA on both sides and COM-PORT-OPTION on ours
// (sessionStart() asked for them), and refuse everything else, ECHO included: the far end must
// never send our frames back to us. A subnegotiation longer than MaxSubnegotiation bytes is
// dropped; an IAC with a command other than SE inside one ends it without its IAC SE.
class Reader {
public:
    static constexpr qsizetype MaxSubnegotiation = 64;

    Reader();
    // Returns the data bytes of `bytes`; appends to `answer` what must be sent back.
    QByteArray take(const QByteArray &bytes, QByteArray &answer);
    const FarPort &farPort() const { return m_farPort; }

private:
    enum class State : quint8 { Data, Command, Option, Sub, SubCommand };
    // One side of an option: off, on, or asked for by us and not answered yet.
    enum Side : quint8 { Off, On, Asked };

    void command(quint8 c);
    void collect(char c);
    void negotiate(quint8 option, QByteArray &answer);
    void subnegotiation();

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    bool m_subTooLong = false;
    std::array<Side, 256> m_ours{};   // what we do (DO / DONT from the server)
    std::array<Side, 256> m_theirs{}; // what the server does (WILL / WONT from it)
    FarPort m_farPort;
};
} // namespace Telnet
