// SPDX-License-Identifier: GPL-3.0-or-later
// The serial back-end on top of QSerialPort, and how it tells a pulled adapter.
#include "link/SerialTransport.h"

#include "base/RuntimeError.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

Q_LOGGING_CATEGORY(lcPort, "velmora.link.port", QtWarningMsg)

namespace {
PortCondition conditionOf(QSerialPort &port, QSerialPort::SerialPortError reported) {
    PortCondition c;
    c.reported = reported;
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(port.handle());
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0) {
        c.readable = (p.revents & POLLIN) != 0;
        c.hungUp = (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    int waiting = 0;
    termios settings{};
    if (::ioctl(fd, FIONREAD, &waiting) != 0 || ::tcgetattr(fd, &settings) != 0)
        c.systemError = errno;
    c.waiting = waiting;
#else
    Q_UNUSED(port);
    // Windows reports a removed device as a resource error.
    c.hungUp = reported == QSerialPort::ResourceError;
#endif
    return c;
}

QString lossText(const PortCondition &c) {
    if (c.hungUp) return QStringLiteral("the device hung up");
    if (c.systemError != 0) return QString::fromLocal8Bit(std::strerror(c.systemError));
    return QStringLiteral("end of file");
}
} // namespace

bool portDeviceGone(const PortCondition &c) {
    if (c.reported == QSerialPort::NoError || c.reported == QSerialPort::TimeoutError) return false;
    if (c.hungUp) return true;
    switch (c.systemError) {
    case 0:
        return c.readable && c.waiting == 0; // end of file
    case EINTR:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return false;
    default:
        return true;
    }
}

QString portPermissionHint(const QString &device, const QString &group, bool groupMayUse,
                           const QString &user) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    Q_UNUSED(group);
    Q_UNUSED(groupMayUse);
    Q_UNUSED(user);
    return QString();
#else
    const QString u = user.isEmpty() ? QStringLiteral("$USER") : user;
    if (!groupMayUse || group.isEmpty())
        return QStringLiteral("Only the owner of %1 may use it; serial adapters normally belong to "
                              "the group \"dialout\", which \"sudo adduser %2 dialout\" joins.")
            .arg(device, u);
    return QStringLiteral("%1 may be used by the members of the group \"%2\". Join it with "
                          "\"sudo adduser %3 %2\", then log out and in again.")
        .arg(device, group, u);
#endif
}

SerialTransport::SerialTransport(QObject *parent) : Transport(parent) {
    // The receiver's input buffer size; what does not fit stays with the system until read.
    m_port.setReadBufferSize(1024);
    connect(&m_port, &QSerialPort::readyRead, this, &Transport::readable);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::checkDevice);
}

SerialTransport::~SerialTransport() {
    close();
}

void SerialTransport::checkDevice(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port.isOpen())
        return;
    const PortCondition condition = conditionOf(m_port, error);
    if (!portDeviceGone(condition)) {
        if (!m_quietModemLines) qCWarning(lcPort) << m_device << m_port.errorString();
        return;
    }
    // A descriptor whose device has gone stays readable for ever: left open, its read notifier
    // would spin a core. Closing the port ends the notifier at once.
    const QString reason = m_device + QStringLiteral(": ") + lossText(condition);
    qCWarning(lcPort).noquote() << reason;
    m_port.close();
    m_port.clearError();
    Q_EMIT lost(reason);
}

void SerialTransport::open(const QString &device) {
    m_device = device;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QString detail = device + QStringLiteral(": ") + m_port.errorString();
        const auto error = m_port.error();
        m_port.clearError();
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            raiseComError(ErrNr::ComInvalidPortNumber, detail);
        case QSerialPort::PermissionError: {
            const QFileInfo file(device);
            const bool groupMayUse = file.permission(QFile::ReadGroup | QFile::WriteGroup);
            const QString hint =
                portPermissionHint(device, file.group(), groupMayUse, qEnvironmentVariable("USER"));
            raiseComError(ErrNr::ComPortNotAvailable,
                          hint.isEmpty() ? detail : detail + QStringLiteral(". ") + hint);
        }
        default:
            raiseComError(ErrNr::ComSetStateFailed, detail);
        }
    }
    const bool configured =
        m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString detail = device + QStringLiteral(": ") + m_port.errorString();
        m_port.close();
        raiseComError(ErrNr::ComSetStateFailed, detail);
    }
    // The receiver's cable uses only the data lines; raising DTR and RTS does no harm and
    // powers the level converters of adapters that draw from them. Pseudo-terminals have no
    // modem lines, so a refusal is not an error.
    m_quietModemLines = true;
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_quietModemLines = false;
    m_port.clearError();
    m_port.clear(QSerialPort::AllDirections);
}

void SerialTransport::close() {
    if (m_port.isOpen()) m_port.close();
}

bool SerialTransport::isOpen() const {
    return m_port.isOpen();
}

qint64 SerialTransport::bytesAvailable() {
    if (!m_port.isOpen()) return 0;
    // Take whatever the system has received so far into the buffer, without waiting.
    m_port.waitForReadyRead(0);
    if (m_port.error() == QSerialPort::TimeoutError) m_port.clearError();
    return m_port.bytesAvailable();
}

QByteArray SerialTransport::read() {
    return m_port.readAll();
}

void SerialTransport::write(const QByteArray &bytes, int timeoutMs) {
    if (m_port.write(bytes) != bytes.size())
        raiseComError(ErrNr::ComWriteFailed, m_port.errorString());
    // Hand the frame to the system now rather than on the next turn of the event loop.
    const QDeadlineTimer deadline(timeoutMs);
    while (m_port.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
    if (m_port.error() == QSerialPort::TimeoutError) m_port.clearError();
}
