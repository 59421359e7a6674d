// SPDX-License-Identifier: GPL-3.0-or-later
// Starts ser2net with a configuration for one serial device and ends it again.
#include "support/Ser2net.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

Ser2net::Ser2net(const QString &device, Mode mode) : m_mode(mode), m_device(device) {
    QTcpServer probe; // a free loopback port, handed on to ser2net
    if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty())
        m_error = QStringLiteral("ser2net is not installed; run scripts/setup test");
    else if (!probe.listen(QHostAddress::LocalHost))
        m_error = QStringLiteral("no free port: ") + probe.errorString();
    else
        m_port = probe.serverPort();
    probe.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    start();
}

QString Ser2net::url() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_mode == Mode::Raw ? "tcp" : "rfc2217")
        .arg(m_port);
}

bool Ser2net::start() {
    if (m_port == 0) return false;
    if (m_process.state() != QProcess::NotRunning) return true;
    // In the foreground with its log on standard output (-n -d), no UUCP lock (-u: a
    // pseudo-terminal has none), the configuration from the command line (-Y, a line each).
    // kickolduser: a client that comes back after a lost connection is taken at once, while
    // ser2net may not have noticed yet that the old one is gone.
    QStringList arguments{QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u")};
    for (const QString &line :
         {QStringLiteral("connection: &line"),
          QStringLiteral("  accepter: %1,127.0.0.1,%2")
              .arg(m_mode == Mode::Raw ? "tcp" : "telnet(rfc2217),tcp")
              .arg(m_port),
          QStringLiteral("  connector: serialdev,%1,9600n81,local").arg(m_device),
          QStringLiteral("  options:"), QStringLiteral("    kickolduser: true")})
        arguments << QStringLiteral("-Y") << line;
    m_process.start(QStringLiteral("ser2net"), arguments);
    const QDeadlineTimer deadline(15000);
    while (m_process.waitForStarted(5000) && !deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(500)) {
            m_error.clear();
            return true;
        }
        if (m_process.waitForFinished(50)) break; // it ended: its log says why
    }
    stop();
    m_error = QStringLiteral("ser2net did not accept on port %1: %2")
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(m_process.readAll()).trimmed());
    return false;
}

void Ser2net::stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
