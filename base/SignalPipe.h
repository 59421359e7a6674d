// SPDX-License-Identifier: GPL-3.0-or-later
// Signals as events of the event loop: a signal handler may do next to nothing, so it only
// writes a byte into a pipe whose other end the event loop watches.
#pragma once

#include <functional>
#include <initializer_list>

// From now on each of the signals `numbers` calls `handler` from the event loop of the application
// (not from the signal handler). Neither end of the pipe goes to the programs started later. Only
// the first call of a process counts; later ones do nothing. Does nothing on Windows.
void callOnSignals(std::initializer_list<int> numbers, std::function<void()> handler);
