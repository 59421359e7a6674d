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
    int master = -1, slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    termios t{};
    if (tcgetattr(slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
    }
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_slave = slave;
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

QByteArray PtyPair::read(int timeoutMs, int quietMs) const {
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    int wait = timeoutMs;
    for (;;) {
        pollfd p{m_master, POLLIN, 0};
        const int r = ::poll(&p, 1, wait);
        if (r <= 0) break;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, n);
        wait = quietMs;
        if (deadline.hasExpired() && quietMs == 0) break;
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

void PtyPair::drain() const {
    char buf[4096];
    while (::read(m_master, buf, sizeof buf) > 0) {
    }
}
