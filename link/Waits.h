// SPDX-License-Identifier: GPL-3.0-or-later
// The waits of the program. None spins: the first ones sleep in a nested event loop, the last
// sleeps with events held back.
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>

// Sleeps in a nested event loop, events running, until the deadline passes (at once when it
// has passed already).
void waitUntil(const QDeadlineTimer &deadline);
void waitUntil(const QDeadlineTimer &deadline, QEventLoop &loop);
// The same, also ended by the sender's signal.
template <typename Signal>
void waitUntil(const QDeadlineTimer &deadline,
               const typename QtPrivate::FunctionPointer<Signal>::Object *sender, Signal signal) {
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    waitUntil(deadline, loop);
}

// Waits Zeit seconds while window events (clicks, timers, port data) keep running.
void pauseWithEvents(double Zeit);
// Lets pending events run once, then sleeps Zeit seconds without processing any further
// events, so that the window does not react during the wait.
void pauseWithoutEvents(double Zeit);
