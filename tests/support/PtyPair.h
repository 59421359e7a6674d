// SPDX-License-Identifier: GPL-3.0-or-later
// A real serial line for tests: a pseudo-terminal whose slave end the program opens as its
// port while the test reads and writes the master end.
#pragma once

#include "sim/PseudoTerminal.h"

#include <QByteArray>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    // Points port number n at the slave end (VELMORA_COM<n>).
    void assignToPort(int n) const;
    // Writes bytes as if the receiver sent them.
    void write(const QByteArray &bytes) const;
    // What the program wrote: waits up to timeoutMs for the first byte, then until 50 ms quiet.
    QByteArray read(int timeoutMs = 1000) const;
    // Reads until `count` bytes are in or timeoutMs passes.
    QByteArray readAtLeast(qsizetype count, int timeoutMs = 2000) const;

private:
    // The slave end stays open too, so the line never hangs up between the program's opens.
    PseudoTerminal m_pty;
};
