// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-terminal pair: the test's end of the line.
#include "support/PtyPair.h"

#include <QDeadlineTimer>
#include <QtGlobal>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

PtyPair::PtyPair() {
    openPseudoTerminal(m_pty);
}

PtyPair::~PtyPair() {
    closePseudoTerminal(m_pty);
}

void PtyPair::assignToPort(int n) const {
    qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1(), m_pty.slavePath.toLocal8Bit());
}

void PtyPair::write(const QByteArray &bytes) const {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_pty.master, bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

QByteArray PtyPair::read(int timeoutMs) const {
    QByteArray out;
    char buf[4096];
    pollfd p{m_pty.master, POLLIN, 0};
    for (int wait = timeoutMs; ::poll(&p, 1, wait) > 0; wait = 50) {
        const ssize_t n = ::read(m_pty.master, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, n);
    }
    return out;
}

QByteArray PtyPair::readAtLeast(qsizetype count, int timeoutMs) const {
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        pollfd p{m_pty.master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_pty.master, buf, sizeof buf);
        if (n > 0) out.append(buf, n);
    }
    return out;
}
