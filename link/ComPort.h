// SPDX-License-Identifier: GPL-3.0-or-later
// The serial-port control "Com": port number, open state, busy flag and text I/O.
#pragma once

#include <QObject>
#include <QString>

class Transport;

// The device behind port number n, a device or a bridge's URL: the one named by the
// environment variable VELMORA_COM<n>, else the one the user set in the settings store, else the
// standard device.
QString portDeviceName(long n);
// The environment variable's device for port n; empty when it is not set.
QString portEnvironmentDevice(long n);
// The standard device of port n: "COMn" on Windows; elsewhere /dev/ttyUSB<n-1> when it exists,
// else /dev/ttyS<n-1>.
QString portStandardDevice(long n);
// Whether the system knows the device now (a pulled adapter's device is gone): on Windows its
// COM name has a device behind it, elsewhere the device file exists.
bool portDevicePresent(const QString &device);

// Asks whatever stands behind a device for its configuration block on a line of its own: up to
// four requests, 0.8 s each, events running. Returns the answer as received, "" when nothing
// answered; a device that cannot be opened raises the error of opening it.
QString askConfiguration(const QString &device);

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
    // True while the port is being opened (a bridge is being reached).
    bool PortOpening() const { return m_opening; }
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

Q_SIGNALS:
    // Data arrived while the event loop was running.
    void readyRead();
    // The device went away under the open port (adapter pulled, terminal closed, a read or
    // write error that says the device is gone). The port is closed already.
    void deviceLost(const QString &reason);

private:
    // The line of the open port; replaced at every opening, for the back-end its device needs.
    Transport *m_transport = nullptr;
    long m_number = 1;
    bool m_opening = false;
};
