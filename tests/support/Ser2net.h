// SPDX-License-Identifier: GPL-3.0-or-later
// A real ser2net in front of a serial device, for tests of the line over the network.
#pragma once

#include <QProcess>
#include <QString>

class Ser2net {
public:
    // Raw: the device's bytes as they are; Rfc2217: Telnet with the COM-PORT-OPTION.
    enum class Mode { Raw, Rfc2217 };

    // Starts ser2net on a free loopback port and waits until it accepts; then check isReady().
    // One client at a time: a new one replaces the old one, as after a lost connection.
    Ser2net(const QString &device, Mode mode);
    ~Ser2net() { stop(); }
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // What the program opens: tcp://127.0.0.1:PORT or rfc2217://127.0.0.1:PORT.
    QString url() const;
    quint16 port() const { return m_port; }

    // Ends it (SIGTERM), as a bridge switched off; its clients lose their connections.
    void stop();
    // Starts it again on the same port, until it accepts; false (see errorString()) if not.
    bool start();

private:
    Mode m_mode;
    QString m_device;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
