// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule's clock.
#include "timecontrol/Clock.h"

#include <QLocale>

namespace {
ClockSource &source() {
    // The wall clock is read afresh each time, so a changed system time is seen at once.
    static ClockSource s = [] { return QDateTime::currentDateTime(); };
    return s;
}
} // namespace

ClockSource setClockSource(ClockSource replacement) {
    if (!replacement) replacement = [] { return QDateTime::currentDateTime(); };
    std::swap(source(), replacement);
    return replacement;
}

QString clockText() {
    return QLocale::c().toString(source()(), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString clockToday() {
    return clockText().left(10);
}

QString clockTime() {
    return clockText().mid(11, 5);
}
