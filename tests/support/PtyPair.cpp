// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-terminal pair in raw mode.
#include "support/PtyPair.h"

#include <QDeadlineTimer>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
    for (const int fd : {m_master, m_slave}) {
        termios t{};
        if (tcgetattr(fd, &t) != 0) continue;
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
}

void PtyPair::assignToPort(int n) const {
    qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1(), m_slavePath.toLocal8Bit());
}

void PtyPair::write(const QByteArray &bytes) const {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

QByteArray PtyPair::read(int timeoutMs) const {
    QByteArray out;
    char buf[4096];
    pollfd p{m_master, POLLIN, 0};
    for (int wait = timeoutMs; ::poll(&p, 1, wait) > 0; wait = 50) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, n);
    }
    return out;
}

QByteArray PtyPair::readAtLeast(qsizetype count, int timeoutMs) const {
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) out.append(buf, n);
    }
    return out;
}
