// SPDX-License-Identifier: GPL-3.0-or-later
// The Telnet / RFC 2217 byte codec: the start of a session, escaping, and reading the server.
#include "link/Telnet.h"

#include <QtEndian>

#include <initializer_list>

namespace Telnet {
namespace {
enum : quint8 { SE = 240, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255 };
enum : quint8 { BINARY = 0, SGA = 3, COM_PORT = 44 };
// COM-PORT-OPTION commands of the client; the server answers each with its code + 100.
enum : quint8 { SET_BAUDRATE = 1, SET_DATASIZE, SET_PARITY, SET_STOPSIZE, SET_CONTROL };
constexpr quint8 ServerAnswer = 100;

// The receiver's line: 9600 baud, 8 data bits, no parity (1), 1 stop bit (1), no flow control (1).
constexpr quint32 LineBaud = 9600;

QByteArray octets(std::initializer_list<quint8> list) {
    QByteArray b;
    for (const quint8 c : list)
        b += char(c);
    return b;
}

QByteArray comPortCommand(quint8 command, const QByteArray &value) {
    return octets({IAC, SB, COM_PORT, command}) + escape(value) + octets({IAC, SE});
}
} // namespace

QByteArray sessionStart() {
    char baud[4];
    qToBigEndian(LineBaud, baud);
    return octets({IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, SGA, IAC, DO, SGA, IAC, WILL,
                   COM_PORT}) +
           comPortCommand(SET_BAUDRATE, QByteArray(baud, 4)) +
           comPortCommand(SET_DATASIZE, octets({8})) + comPortCommand(SET_PARITY, octets({1})) +
           comPortCommand(SET_STOPSIZE, octets({1})) + comPortCommand(SET_CONTROL, octets({1}));
}

QByteArray escape(const QByteArray &data) {
    QByteArray line;
    line.reserve(data.size());
    for (const char c : data) {
        line += c;
        if (quint8(c) == IAC) line += c;
    }
    return line;
}

Reader::Reader() {
    m_ours[BINARY] = m_ours[SGA] = m_ours[COM_PORT] = Asked;
    m_theirs[BINARY] = m_theirs[SGA] = Asked;
}

QByteArray Reader::take(const QByteArray &bytes, QByteArray &answer) {
    QByteArray data;
    data.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = quint8(ch);
        switch (m_state) {
        case State::Data:
            if (c == IAC)
                m_state = State::Command;
            else
                data += ch;
            break;
        case State::Command:
            if (c == IAC) data += ch;
            command(c);
            break;
        case State::Option:
            negotiate(c, answer);
            m_state = State::Data;
            break;
        case State::Sub:
            if (c == IAC)
                m_state = State::SubCommand;
            else
                collect(ch);
            break;
        case State::SubCommand:
            if (c == IAC) {
                m_state = State::Sub;
                collect(ch);
            } else if (c == SE) {
                subnegotiation();
                m_state = State::Data;
            } else {
                command(c); // a command without the IAC SE before it: the subnegotiation is dropped
            }
            break;
        }
    }
    return data;
}

// The byte after an IAC outside a subnegotiation (IAC IAC has been taken as data).
void Reader::command(quint8 c) {
    if (c >= WILL && c <= DONT) {
        m_verb = c;
        m_state = State::Option;
    } else if (c == SB) {
        m_sub.clear();
        m_subTooLong = false;
        m_state = State::Sub;
    } else {
        m_state = State::Data; // NOP, GA, DM, an SE without SB, bytes that are no command
    }
}

void Reader::collect(char c) {
    if (m_sub.size() < MaxSubnegotiation)
        m_sub += c;
    else
        m_subTooLong = true;
}

void Reader::negotiate(quint8 option, QByteArray &answer) {
    const bool ours = m_verb == DO || m_verb == DONT;
    Side &side = ours ? m_ours[option] : m_theirs[option];
    const bool wanted = option == BINARY || option == SGA || (ours && option == COM_PORT);
    if (m_verb == DO || m_verb == WILL) {
        if (side == Off)
            answer += octets({IAC, ours ? (wanted ? WILL : WONT) : (wanted ? DO : DONT), option});
        side = wanted ? On : Off;
    } else {
        // Switching off what is on is agreed to; a refusal of what we asked for needs no answer.
        if (side == On) answer += octets({IAC, ours ? WONT : DONT, option});
        side = Off;
    }
}

void Reader::subnegotiation() {
    if (m_subTooLong || m_sub.size() < 3 || quint8(m_sub[0]) != COM_PORT) return;
    const QByteArray value = m_sub.mid(2);
    const int first = quint8(value[0]);
    switch (quint8(m_sub[1])) {
    case ServerAnswer + SET_BAUDRATE:
        if (value.size() >= 4) m_farPort.baud = qFromBigEndian<quint32>(value.constData());
        break;
    case ServerAnswer + SET_DATASIZE:
        m_farPort.dataSize = first;
        break;
    case ServerAnswer + SET_PARITY:
        m_farPort.parity = first;
        break;
    case ServerAnswer + SET_STOPSIZE:
        m_farPort.stopSize = first;
        break;
    case ServerAnswer + SET_CONTROL:
        m_farPort.control = first;
        break;
    default:
        break; // NOTIFY-LINESTATE, NOTIFY-MODEMSTATE, signatures, ...
    }
}
} // namespace Telnet
