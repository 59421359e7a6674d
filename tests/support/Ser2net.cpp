// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a ser2net configuration for one serial device, starts ser2net and ends it again.
#include "support/Ser2net.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

Ser2net::Ser2net(const QString &device, Mode mode) : m_mode(mode) {
    if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty()) {
        m_error = QStringLiteral("ser2net is not installed; run scripts/setup test");
        return;
    }
    QTcpServer probe; // a free loopback port, handed on to ser2net
    if (!probe.listen(QHostAddress::LocalHost)) {
        m_error = QStringLiteral("no free port: ") + probe.errorString();
        return;
    }
    m_port = probe.serverPort();
    probe.close();
    // kickolduser: a client that comes back after a lost connection is taken at once, while
    // ser2net may not have noticed yet that the old one is gone.
    const QString config =
        QStringLiteral("connection: &line\n"
                       "  accepter: %1,127.0.0.1,%2\n"
                       "  connector: serialdev,%3,9600n81,local\n"
                       "  options:\n"
                       "    kickolduser: true\n")
            .arg(QLatin1String(mode == Mode::Raw ? "tcp" : "telnet(rfc2217),tcp"))
            .arg(m_port)
            .arg(device);
    QFile file(m_dir.filePath(QStringLiteral("ser2net.yaml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write ") + file.fileName();
        return;
    }
    file.close();
    // Its log goes to a file: read when it fails, out of the way when it works.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("ser2net.log")));
    start();
}

QString Ser2net::url() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(QLatin1String(m_mode == Mode::Raw ? "tcp" : "rfc2217"))
        .arg(m_port);
}

bool Ser2net::start() {
    if (m_port == 0) return false;
    if (m_process.state() != QProcess::NotRunning) return true;
    // In the foreground with its log on standard output (-n -d), no UUCP lock (-u: a
    // pseudo-terminal has none, and /var/lock is root's), no pid file unless asked for.
    m_process.start(QStringLiteral("ser2net"),
                    {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                     QStringLiteral("-c"), m_dir.filePath(QStringLiteral("ser2net.yaml"))});
    if (m_process.waitForStarted(5000)) {
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(500)) {
                socket.abort();
                m_error.clear();
                return true;
            }
            if (m_process.waitForFinished(50)) break; // it ended: its log says why
        }
    }
    stop();
    QFile log(m_dir.filePath(QStringLiteral("ser2net.log")));
    log.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("ser2net did not accept on port %1: %2")
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(log.readAll()).trimmed());
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
