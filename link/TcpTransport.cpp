// SPDX-License-Identifier: GPL-3.0-or-later
// The network back-end: connecting to a bridge, keeping the connection watched, and Telnet.
#include "link/TcpTransport.h"

#include "base/RuntimeError.h"
#include "link/Waits.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QUrl>
#include <array>

#ifdef Q_OS_WIN
// The keep-alive header uses the types of the two before it.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <mstcpip.h>
// clang-format on
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

Q_LOGGING_CATEGORY(lcBridge, "velmora.link.bridge", QtWarningMsg)

namespace {
constexpr int kConnectMs = 3000;
// What waits to be read is kept up to this much; a program that stops reading loses the oldest,
// as a serial port's overflowing buffer would.
constexpr qsizetype kMaxWaiting = 64 * 1024;

const QString kTcp = QStringLiteral("tcp");
const QString kRfc2217 = QStringLiteral("rfc2217");

// A bridge that loses its power sends no reset: the connection is probed after 5 s of silence,
// every 2 s, and given up after 3 probes without an answer; data that stays unacknowledged for
// 10 s ends it too. Together the loss is noticed within 15 s.
void watchConnection(qintptr descriptor) {
#ifdef Q_OS_WIN
    // Windows probes 10 times: 3 s + 10 x 1 s.
    tcp_keepalive values{1, 3000, 1000};
    DWORD returned = 0;
    if (WSAIoctl(SOCKET(descriptor), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0,
                 &returned, nullptr, nullptr) != 0)
        qCWarning(lcBridge) << "keep-alive not set:" << WSAGetLastError();
#else
    const int fd = int(descriptor);
    const auto set = [fd](int level, int name, int value) {
        if (::setsockopt(fd, level, name, &value, sizeof value) != 0)
            qCWarning(lcBridge) << "socket option" << name << "not set";
    };
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
    set(IPPROTO_TCP, TCP_KEEPIDLE, 5);
    set(IPPROTO_TCP, TCP_KEEPINTVL, 2);
    set(IPPROTO_TCP, TCP_KEEPCNT, 3);
#ifdef TCP_USER_TIMEOUT
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, 10000);
#endif
#endif
}
} // namespace

bool isBridgeUrl(const QString &device) {
    return device.startsWith(kTcp + QStringLiteral("://"), Qt::CaseInsensitive) ||
           device.startsWith(kRfc2217 + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<BridgeAddress> bridgeAddress(const QString &device) {
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != kTcp && scheme != kRfc2217) || url.host().isEmpty() ||
        url.port() < 1 || !url.userInfo().isEmpty() ||
        !(url.path().isEmpty() || url.path() == "/") || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return BridgeAddress{scheme == kRfc2217, url.host(), quint16(url.port())};
}

TcpTransport::TcpTransport(QObject *parent) : Transport(parent) {
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpTransport::takeIncoming);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpTransport::connectionEnded);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::connectionEnded);
}

TcpTransport::~TcpTransport() {
    close();
}

void TcpTransport::open(const QString &device) {
    close();
    m_device = device;
    const std::optional<BridgeAddress> address = bridgeAddress(device);
    if (!address)
        raiseComError(ErrNr::ComInvalidPortNumber,
                      device + QStringLiteral(": not a bridge address (tcp://host:port or "
                                              "rfc2217://host:port)"));
    m_telnet = address->telnet;
    m_reader = Telnet::Reader();
    m_data.clear();
    {
        // The name lookup and the connection run while the window's events do.
        QEventLoop loop;
        connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
        m_socket.connectToHost(address->host, address->port);
        waitUntil(QDeadlineTimer(kConnectMs), loop);
    }
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        const QString reason = m_socket.error() == QAbstractSocket::UnknownSocketError
                                   ? QStringLiteral("no answer within 3 s")
                                   : m_socket.errorString();
        m_socket.abort();
        raiseComError(ErrNr::ComInvalidPortNumber, device + QStringLiteral(": ") + reason);
    }
    // A command frame leaves at once instead of waiting for more to send with it.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    watchConnection(m_socket.socketDescriptor());
    m_open = true;
    qCDebug(lcBridge).noquote() << "connected to" << device;
    if (m_telnet) {
        m_socket.write(Telnet::sessionStart());
        m_socket.flush();
    }
}

void TcpTransport::close() {
    m_open = false;
    if (m_socket.state() != QAbstractSocket::UnconnectedState) m_socket.abort();
}

bool TcpTransport::isOpen() const {
    return m_open;
}

void TcpTransport::takeIncoming() {
    const QByteArray bytes = m_socket.readAll();
    if (!m_open) return;
    QByteArray data = bytes;
    if (m_telnet) {
        QByteArray answer;
        data = m_reader.take(bytes, answer);
        if (!answer.isEmpty()) {
            m_socket.write(answer);
            m_socket.flush();
        }
    }
    if (data.isEmpty()) return;
    m_data += data;
    if (m_data.size() > kMaxWaiting) m_data.remove(0, m_data.size() - kMaxWaiting);
    Q_EMIT readable();
}

void TcpTransport::connectionEnded() {
    if (!m_open) return;
    m_open = false;
    const QString reason = m_device + QStringLiteral(": ") +
                           (m_socket.error() == QAbstractSocket::RemoteHostClosedError ||
                                    m_socket.error() == QAbstractSocket::UnknownSocketError
                                ? QStringLiteral("the bridge closed the connection")
                                : m_socket.errorString());
    qCWarning(lcBridge).noquote() << reason;
    m_socket.abort();
    m_data.clear();
    Q_EMIT lost(reason);
}

qint64 TcpTransport::bytesAvailable() {
    return m_open ? m_data.size() : 0;
}

QByteArray TcpTransport::read() {
    return std::exchange(m_data, QByteArray());
}

void TcpTransport::write(const QByteArray &bytes, int timeoutMs) {
    Q_UNUSED(timeoutMs); // the system takes the frame at once; its buffer is never full here
    if (!m_open) raiseComError(ErrNr::ComPortNotOpen);
    const QByteArray out = m_telnet ? Telnet::escape(bytes) : bytes;
    if (m_socket.write(out) != out.size())
        raiseComError(ErrNr::ComWriteFailed,
                      m_device + QStringLiteral(": ") + m_socket.errorString());
    m_socket.flush();
}
