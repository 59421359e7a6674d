// SPDX-License-Identifier: GPL-3.0-or-later
// Elapsed-time waits on the monotonic clock.
#include "link/Waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <thread>

namespace {
qint64 milliseconds(double seconds) {
    if (!(seconds > 0)) // also catches NaN
        return 0;
    return static_cast<qint64>(std::llround(seconds * 1000.0));
}
} // namespace

void waitUntil(const QDeadlineTimer &deadline) {
    QEventLoop loop;
    waitUntil(deadline, loop);
}

void waitUntil(const QDeadlineTimer &deadline, QEventLoop &loop) {
    if (deadline.hasExpired()) return;
    // The deadline ends the loop, or whatever else the caller connected to quit it, or the
    // application quitting underneath it.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(std::chrono::milliseconds(deadline.remainingTime()));
    loop.exec();
}

void pauseWithEvents(double Zeit) {
    const QDeadlineTimer deadline(milliseconds(Zeit), Qt::PreciseTimer);
    QCoreApplication::processEvents();
    waitUntil(deadline);
}

void pauseWithoutEvents(double Zeit) {
    QCoreApplication::processEvents();
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds(Zeit));
    std::this_thread::sleep_until(until);
}
