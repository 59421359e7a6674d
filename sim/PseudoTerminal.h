// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal as a serial line without hardware, for the simulator, tests and benchmarks.
#pragma once

#include <QString>

// The two ends: the master for the side that plays the receiver, the slave, opened by path, for
// the side that takes it for its serial port.
struct PseudoTerminal {
    int master = -1;
    int slave = -1;
    QString slavePath;
};

// Opens a pseudo-terminal raw from the start (no echo, no line editing, no CR/LF translation:
// every byte passes) at 9600 baud; the master does not block; neither end goes to the programs
// started later. False, with errno telling why, when the system gives none (or has none).
bool openPseudoTerminal(PseudoTerminal &pty);
// Closes whichever ends are open.
void closePseudoTerminal(PseudoTerminal &pty);
