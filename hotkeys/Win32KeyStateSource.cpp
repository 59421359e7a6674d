// SPDX-License-Identifier: GPL-3.0-or-later
// Adapts the Windows asynchronous key state to the key-state seam.
#include "hotkeys/Win32KeyStateSource.h"

#include "hotkeys/Win32KeyState.h"

qint16 Win32KeyStateSource::keyState(qint32 virtualKey) {
    return static_cast<qint16>(win32keys::asyncKeyState(virtualKey));
}
