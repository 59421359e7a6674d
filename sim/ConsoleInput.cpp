// SPDX-License-Identifier: GPL-3.0-or-later
// Standard input as a stream of control lines.
#include "sim/ConsoleInput.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Sim {

ConsoleInput::ConsoleInput(QObject *parent) : QObject(parent) {
#ifdef Q_OS_UNIX
    watch(STDIN_FILENO);
#endif
}

ConsoleInput::~ConsoleInput() {
#ifdef Q_OS_UNIX
    if (m_ownsFd && m_fd >= 0) ::close(m_fd);
#endif
}

void ConsoleInput::watch(int fd) {
#ifdef Q_OS_UNIX
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater(); // it may be the one whose signal is running
    }
    m_fd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ConsoleInput::onReadable);
#else
    Q_UNUSED(fd);
#endif
}

void ConsoleInput::onReadable() {
#ifdef Q_OS_UNIX
    // One read per wake-up: the notifier said it will not block, and standard input stays in
    // blocking mode because the shell shares it.
    char buf[1024];
    const ssize_t n = ::read(m_fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        onEnd();
        return;
    }
    m_pending.append(buf, n);
    qsizetype nl;
    while ((nl = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(nl);
        m_pending.remove(0, nl + 1);
        Q_EMIT lineRead(QString::fromLocal8Bit(line).trimmed());
    }
#endif
}

void ConsoleInput::onEnd() {
#ifdef Q_OS_UNIX
    if (!m_pending.trimmed().isEmpty())
        Q_EMIT lineRead(QString::fromLocal8Bit(m_pending).trimmed());
    m_pending.clear();
    Q_EMIT endOfInput();
    if (::isatty(m_fd)) return;
    struct stat st {};
    char target[4096] = {};
    const QByteArray link = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(m_fd);
    const ssize_t len = ::readlink(link.constData(), target, sizeof target - 1);
    // Only a named FIFO can be opened again; an anonymous pipe would report its end forever.
    if (::fstat(m_fd, &st) == 0 && S_ISFIFO(st.st_mode) && len > 0 && target[0] == '/') {
        const int fd = ::open(target, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            if (m_ownsFd) ::close(m_fd);
            m_ownsFd = true;
            watch(fd);
            return;
        }
    }
    m_notifier->setEnabled(false);
#endif
}

} // namespace Sim
