// SPDX-License-Identifier: GPL-3.0-or-later
// The serial back-end of the line: a serial device or pseudo-terminal at 9600 baud, 8N1.
#pragma once

#include "link/Transport.h"

#include <QSerialPort>
#include <QString>

// What to tell a user whom the system does not let open a port: which group the device
// belongs to and how to join it (on Debian the serial devices belong to "dialout"). Empty on
// Windows, where ports carry no groups.
// groupMayUse: whether the device's group may read and write it at all.
QString portPermissionHint(const QString &device, const QString &group, bool groupMayUse,
                           const QString &user);

// What the descriptor of an open port says after the port reported a failure. Asked of the
// descriptor itself: the port's error text carries whatever errno an earlier call left behind
// (a read that finds the end of the file sets none).
struct PortCondition {
    QSerialPort::SerialPortError reported = QSerialPort::NoError; // the port's own word
    bool readable = false;                                        // poll(2) finds it readable
    bool hungUp = false; // ... with POLLHUP, POLLERR or POLLNVAL
    qint64 waiting = 0;  // bytes the system holds for reading (FIONREAD)
    int systemError = 0; // errno of the first call asking the device that failed (FIONREAD,
                         // tcgetattr); 0 when the device answered
};

// Whether the device behind the port has gone: after a failure (not a timeout), the descriptor
// hangs up, reads end of file (readable with nothing waiting), or the device no longer answers
// (EIO, ENXIO, ENODEV or any other lasting errno). A call that was interrupted (EINTR) or told
// to try again (EAGAIN), and a failure after which the device still answers, are not.
bool portDeviceGone(const PortCondition &condition);

class SerialTransport : public Transport {
    Q_OBJECT
public:
    explicit SerialTransport(QObject *parent = nullptr);
    ~SerialTransport() override;

    // Opens at 9600 baud, 8 data bits, no parity, 1 stop bit.
    void open(const QString &device) override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes, int timeoutMs) override;
    qint64 bytesAvailable() override;
    QByteArray read() override;

private:
    // Reads the descriptor's condition after the port reported `error`; when its device has
    // gone, closes the port (which stops its notifiers) and says so with lost.
    void checkDevice(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_device;
    bool m_quietModemLines = false;
};
