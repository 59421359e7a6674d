// SPDX-License-Identifier: GPL-3.0-or-later
// The asynchronous key state on Windows: GetAsyncKeyState.
#include "hotkeys/Win32KeyState.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace win32keys {

short asyncKeyState(int virtualKey) {
    // Codes outside 1..254 name no key; the call would answer 0 for them anyway.
    if (virtualKey <= 0 || virtualKey > 254) return 0;
    return GetAsyncKeyState(virtualKey);
}

} // namespace win32keys
