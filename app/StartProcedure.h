// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start procedure and its immediate end.
#pragma once

// Creates the add-in registry, builds the version text, waits one second with events running
// and then shows the main window, unless an add-in registered meanwhile and has loaded it.
// With mayHandOver (the program's own start, not a test's), a Velmora already running on the
// session bus takes the command line over instead and this program ends.
void runStartProcedure(bool mayHandOver = false);
