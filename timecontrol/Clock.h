// SPDX-License-Identifier: GPL-3.0-or-later
// The clock the schedule reads: the date and time as texts in the layouts of schedule lines,
// whatever the user's locale.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Where the current date and time come from; the system's wall clock unless replaced.
using ClockSource = std::function<QDateTime()>;
// Installs a clock and returns the previous one; an empty source restores the wall clock.
ClockSource setClockSource(ClockSource source);

// The current date and time as "dd.mm.yyyy hh:mm:ss" (24-hour clock).
QString clockText();
// Today as "dd.mm.yyyy": the first 10 characters of the clock text.
QString clockToday();
// The time of day as "hh:mm": characters 12 to 16 of the clock text.
QString clockTime();
