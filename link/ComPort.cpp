// SPDX-License-Identifier: GPL-3.0-or-later
// The serial-port control on top of the line's back-end.
#include "link/ComPort.h"

#include "base/ConfigValues.h"
#include "base/RuntimeError.h"
#include "link/Framing.h"
#include "link/Transport.h"
#include "link/Waits.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QScopeGuard>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

QString portEnvironmentDevice(long n) {
    return qEnvironmentVariable(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData())
        .trimmed();
}

QString portDeviceName(long n) {
    if (const QString configured = portEnvironmentDevice(n); !configured.isEmpty())
        return configured;
    if (const QString stored = storedPortDevice(n); !stored.isEmpty()) return stored;
    return portStandardDevice(n);
}

QString portStandardDevice(long n) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    const QString usb = QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
    if (QFileInfo::exists(usb)) return usb;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

bool portDevicePresent(const QString &device) {
#ifdef Q_OS_WIN
    // The system keeps a COM name for as long as its device is there.
    const auto *name = reinterpret_cast<const wchar_t *>(device.utf16());
    wchar_t target[MAX_PATH];
    return QueryDosDeviceW(name, target, MAX_PATH) != 0 ||
           GetLastError() == ERROR_INSUFFICIENT_BUFFER;
#else
    return QFileInfo::exists(device);
#endif
}

QString askConfiguration(const QString &device) {
    const std::unique_ptr<Transport> line = makeTransport(device);
    line->open(device);
    QByteArray answer;
    for (int attempt = 0;
         attempt < Frame::ConfigurationRequests && !answer.endsWith(Frame::ETX.toLatin1());
         ++attempt) {
        line->read(); // what waits is not the answer
        answer.clear();
        line->write(toLineBytes(Frame::configurationRequest()), Frame::ExchangeMs);
        const QDeadlineTimer deadline(Frame::ExchangeMs);
        while (line->isOpen() && !answer.endsWith(Frame::ETX.toLatin1()) &&
               !deadline.hasExpired()) {
            waitUntil(deadline, line.get(), &Transport::readable);
            if (line->bytesAvailable() > 0) answer += line->read();
        }
    }
    line->close();
    return answer.endsWith(Frame::ETX.toLatin1()) ? fromLineBytes(answer) : QString();
}

ComPort::ComPort(QObject *parent) : QObject(parent) {
}

ComPort::~ComPort() {
    if (m_transport) m_transport->close();
}

void ComPort::setCommPort(long number) {
    if (PortOpen()) raiseComError(ErrNr::ComPortAlreadyOpen);
    if (number < 1 || number > 255)
        raiseComError(ErrNr::ComInvalidPortNumber, QString::number(number));
    m_number = number;
}

bool ComPort::PortOpen() const {
    return m_transport && m_transport->isOpen();
}

void ComPort::setPortOpen(bool open) {
    if (!open) {
        if (m_transport) m_transport->close();
        return;
    }
    if (PortOpen() || m_opening) raiseComError(ErrNr::ComPortAlreadyOpen, deviceName());
    const QString device = deviceName();
    // The old line may be the one whose signal runs now (a reconnect after its device went).
    if (m_transport) {
        m_transport->disconnect(this);
        m_transport->deleteLater();
    }
    m_transport = makeTransport(device).release();
    m_transport->setParent(this);
    connect(m_transport, &Transport::readable, this, &ComPort::readyRead);
    connect(m_transport, &Transport::lost, this, &ComPort::deviceLost);
    // A bridge is reached while events run; the port is not opened a second time meanwhile.
    m_opening = true;
    const auto opened = qScopeGuard([this] { m_opening = false; });
    m_transport->open(device);
}

long ComPort::InBufferCount() {
    if (!PortOpen()) return 0;
    return static_cast<long>(m_transport->bytesAvailable());
}

QString ComPort::Input() {
    if (!PortOpen()) raiseComError(ErrNr::ComPortNotOpen);
    InBufferCount();
    if (!PortOpen()) return QString(); // the device went while it was read: told already
    return fromLineBytes(m_transport->read());
}

void ComPort::Output(const QString &text, int timeoutMs) {
    if (!PortOpen()) raiseComError(ErrNr::ComPortNotOpen);
    m_transport->write(toLineBytes(text), timeoutMs);
}
