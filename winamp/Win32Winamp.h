// SPDX-License-Identifier: GPL-3.0-or-later
// Winamp's window-message interface on Windows, in plain C++ so that it stands apart from Qt.
#pragma once

#include <cstdint>
#include <string>

namespace win32winamp {

// The Winamp main window (class "Winamp v1.x"); 0 when Winamp does not run.
std::intptr_t findWinampWindow();
// Posts WM_COMMAND with the menu-command identifier; returns at once.
void postCommand(std::intptr_t window, std::int32_t id);
// Winamp's play state (0 stopped, 1 playing, 3 paused); 0 when the window does not answer
// within timeoutMs or is gone.
long playStatus(std::intptr_t window, unsigned timeoutMs);
// The window's text in the system's ANSI code page.
std::string windowText(std::intptr_t window);

} // namespace win32winamp
