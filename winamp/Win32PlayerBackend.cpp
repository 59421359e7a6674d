// SPDX-License-Identifier: GPL-3.0-or-later
// Adapts Winamp's window messages to the player seam.
#include "winamp/Win32PlayerBackend.h"

#include "winamp/Win32Winamp.h"

WinampHandle Win32PlayerBackend::find() {
    return static_cast<WinampHandle>(win32winamp::findWinampWindow());
}

void Win32PlayerBackend::postCommand(WinampHandle player, qint32 id) {
    win32winamp::postCommand(static_cast<std::intptr_t>(player), id);
}

qint16 Win32PlayerBackend::status(WinampHandle player, int timeoutMs) {
    const long answer = win32winamp::playStatus(static_cast<std::intptr_t>(player),
                                                static_cast<unsigned>(qMax(timeoutMs, 0)));
    return static_cast<qint16>(answer);
}

QString Win32PlayerBackend::windowTitle(WinampHandle player) {
    // Window texts are in the ANSI code page, which is the local 8-bit encoding there.
    return QString::fromLocal8Bit(win32winamp::windowText(static_cast<std::intptr_t>(player)));
}
