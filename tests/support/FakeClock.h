// SPDX-License-Identifier: GPL-3.0-or-later
// A clock that stands still at a set time, for the schedule's tests.
#pragma once

#include "timecontrol/Clock.h"

class FakeClock {
public:
    explicit FakeClock(const QString &text) {
        set(text);
        m_previous = setClockSource([this] { return m_now; });
    }
    ~FakeClock() { setClockSource(m_previous); }
    FakeClock(const FakeClock &) = delete;
    FakeClock &operator=(const FakeClock &) = delete;

    // "dd.mm.yyyy hh:mm:ss"
    void set(const QString &text) {
        m_now = QDateTime::fromString(text, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        Q_ASSERT(m_now.isValid());
    }

private:
    QDateTime m_now;
    ClockSource m_previous;
};
