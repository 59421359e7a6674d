// SPDX-License-Identifier: GPL-3.0-or-later
// The network back-end of the line: a serial-to-network bridge reached over TCP, as a raw byte
// stream (tcp://) or through Telnet with the COM-PORT-OPTION (rfc2217://).
#pragma once

#include "link/Telnet.h"
#include "link/Transport.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <array>
#include <optional>

// Where a bridge is: tcp://host:port or rfc2217://host:port, the host a name, an IPv4 address
// or an IPv6 address in brackets.
struct BridgeAddress {
    bool telnet = false; // rfc2217://
    QString host;
    quint16 port = 0;
};
// Whether a port's device names a bridge (by its scheme, in any case), well formed or not.
bool isBridgeUrl(const QString &device);
// The bridge a URL names; nothing for a URL without a host, a port from 1 to 65535, or with
// anything else (a path, a user, a query).
std::optional<BridgeAddress> bridgeAddress(const QString &device);
// Seconds before the attempt-th try (0 and up) to reach a bridge that went away: 1, 2, 4, 8 and
// 16 s, then every 30 s. The MQTT add-in waits for a broker the same way; it is written here, in
// the header, so that the add-in takes the series without the link's code.
inline int bridgeRetryDelay(int attempt) {
    constexpr std::array<int, 5> kFirst = {1, 2, 4, 8, 16};
    return attempt < int(kFirst.size()) ? kFirst[size_t(attempt)] : 30;
}

class TcpTransport : public Transport {
    Q_OBJECT
public:
    explicit TcpTransport(QObject *parent = nullptr);
    ~TcpTransport() override;

    // Connects within 3 s, events running meanwhile (the name lookup too); a bridge that cannot
    // be reached raises the error of a missing device with the address and the reason. Over
    // RFC 2217 the far port is then set to 9600 baud, 8N1, no flow control.
    void open(const QString &device) override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes, int timeoutMs) override;
    qint64 bytesAvailable() override;
    QByteArray read() override;

private:
    void takeIncoming();
    void connectionEnded();

    QTcpSocket m_socket;
    QString m_device;
    bool m_telnet = false;
    bool m_open = false;
    Telnet::Reader m_reader;
    QByteArray m_data; // received, Telnet taken out, not read yet
};
