// SPDX-License-Identifier: GPL-3.0-or-later
// The serial-port control "Com": port number, open state, busy flag and text I/O.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

// The device behind port number n: "COMn" on Windows; elsewhere the device named by the
// environment variable VELMORA_COM<n>, else /dev/ttyUSB<n-1> when it exists, else /dev/ttyS<n-1>.
QString portDeviceName(long n);

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

class ComPort : public QObject {
    Q_OBJECT
public:
    explicit ComPort(QObject *parent = nullptr);
    ~ComPort() override;

    // Busy flag of the link: "1" while an exchange runs, "0" when idle.
    QString Tag = QStringLiteral("0");

    long CommPort() const { return m_number; }
    // Sets the port number; only while the port is closed (error 8005 otherwise), 1 to 255
    // (error 8002 otherwise).
    void setCommPort(long number);

    bool PortOpen() const;
    // Opens the port at 9600 baud, 8 data bits, no parity, 1 stop bit, or closes it. A port
    // that cannot be opened raises a run-time error naming the device and the reason.
    void setPortOpen(bool open);

    // The number of bytes that have arrived and wait to be read. Takes what the system has
    // received so far without waiting for more.
    long InBufferCount();
    // Everything that waits in the input buffer, one character per byte.
    QString Input();
    // Writes the text in one write and waits up to timeoutMs for it to leave.
    void Output(const QString &text, int timeoutMs = 800);

    QString deviceName() const { return portDeviceName(m_number); }
    QSerialPort &serialPort() { return m_port; }

Q_SIGNALS:
    // Data arrived while the event loop was running.
    void readyRead();
    // The device went away under the open port (adapter pulled, terminal closed, a read or
    // write error that says the device is gone). The port is closed already.
    void deviceLost(const QString &reason);

private:
    // Reads the descriptor's condition after the port reported `error`; when its device has
    // gone, closes the port (which stops its notifiers) and says so with deviceLost.
    void checkDevice(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    long m_number = 1;
    bool m_quietModemLines = false;
};
