// SPDX-License-Identifier: GPL-3.0-or-later
// The self-pipe behind callOnSignals.
#include "base/SignalPipe.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int gSignalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Only a write from here; the event loop reads it. A full pipe already has a call pending.
    (void)!::write(gSignalPipe[1], &byte, 1);
}
} // namespace

void callOnSignals(std::initializer_list<int> numbers, std::function<void()> handler) {
    if (gSignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
    // The programs started later (the 6.1/ES command, the mail client) get neither end.
    for (const int fd : gSignalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    auto *notifier =
        new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [handler = std::move(handler)] {
                         char bytes[16];
                         (void)!::read(gSignalPipe[0], bytes, sizeof bytes);
                         handler();
                     });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : numbers)
        ::sigaction(sig, &action, nullptr);
}
#else
void callOnSignals(std::initializer_list<int>, std::function<void()>) {
}
#endif
