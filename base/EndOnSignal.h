// SPDX-License-Identifier: GPL-3.0-or-later
// The end of the session: a terminal's Ctrl-C, a closed terminal or the session manager's
// SIGTERM at logout ends the program the orderly way, as the End menu item does, so that the
// settings of this run are saved.
#pragma once

#include <functional>

// From now on SIGINT, SIGHUP and SIGTERM call `end` from the event loop (not from the signal
// handler). Does nothing on Windows.
void endOnSignals(std::function<void()> end);
