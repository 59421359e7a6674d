// SPDX-License-Identifier: GPL-3.0-or-later
// The program's immediate end, without any unload handling.
#pragma once

#include <functional>

// Ends the program at once, without any unload handling.
void EndProgram();
// Tests replace the immediate end; null restores it.
void setProgramEnder(std::function<void()> ender);
