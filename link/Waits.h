// SPDX-License-Identifier: GPL-3.0-or-later
// The two waits of the program. Neither spins: the first sleeps in a nested event loop, the
// second sleeps with events held back.
#pragma once

// Waits Zeit seconds while window events (clicks, timers, port data) keep running.
void pauseWithEvents(double Zeit);
// Lets pending events run once, then sleeps Zeit seconds without processing any further
// events, so that the window does not react during the wait.
void pauseWithoutEvents(double Zeit);
