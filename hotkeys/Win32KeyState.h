// SPDX-License-Identifier: GPL-3.0-or-later
// The asynchronous key state on Windows, in plain C++ so that it stands apart from Qt.
#pragma once

namespace win32keys {

// GetAsyncKeyState: bit 15 while the key is down, bit 0 when it was pressed since the previous
// call for that key.
short asyncKeyState(int virtualKey);

} // namespace win32keys
