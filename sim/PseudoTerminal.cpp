// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and setting up a pseudo-terminal.
#include "sim/PseudoTerminal.h"

#include <QtGlobal>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#if __has_include(<pty.h>)
#include <pty.h>
#else
#include <util.h> // openpty on the BSDs and macOS
#endif
#include <termios.h>
#include <unistd.h>
#endif

bool openPseudoTerminal(PseudoTerminal &pty) {
#ifdef Q_OS_UNIX
    char name[256] = {};
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    pty = {master, slave, QString::fromLocal8Bit(name)};
    return true;
#else
    Q_UNUSED(pty);
    errno = ENOSYS;
    return false;
#endif
}

void closePseudoTerminal(PseudoTerminal &pty) {
#ifdef Q_OS_UNIX
    if (pty.master >= 0) ::close(pty.master);
    if (pty.slave >= 0) ::close(pty.slave);
#endif
    pty = {};
}
