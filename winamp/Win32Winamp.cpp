// SPDX-License-Identifier: GPL-3.0-or-later
// Winamp's window messages: find the main window by class, post menu commands, ask the play
// state, read the window text.
#include "winamp/Win32Winamp.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace win32winamp {

namespace {

HWND toWindow(std::intptr_t window) {
    return reinterpret_cast<HWND>(window);
}

// Winamp's WM_USER request for its play state.
constexpr LPARAM kIpcIsPlaying = 104;

} // namespace

std::intptr_t findWinampWindow() {
    return reinterpret_cast<std::intptr_t>(FindWindowA("Winamp v1.x", nullptr));
}

void postCommand(std::intptr_t window, std::int32_t id) {
    // A window that has closed makes the post fail; nothing is waiting for it.
    PostMessageA(toWindow(window), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

long playStatus(std::intptr_t window, unsigned timeoutMs) {
    DWORD_PTR answer = 0;
    // SMTO_BLOCK: the program handles nothing else while it waits, so no timer or click runs
    // inside the request.
    const LRESULT sent = SendMessageTimeoutA(toWindow(window), WM_USER, 0, kIpcIsPlaying,
                                             SMTO_BLOCK, timeoutMs, &answer);
    return sent != 0 ? static_cast<long>(answer) : 0;
}

std::string windowText(std::intptr_t window) {
    const HWND hwnd = toWindow(window);
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return std::string();
    // Room for the terminating NUL, which is then dropped.
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(hwnd, buffer.data(), length + 1);
    buffer.pop_back();
    // The title may have become shorter between the two calls.
    const std::size_t end = buffer.find('\0');
    if (end != std::string::npos) buffer.resize(end);
    return buffer;
}

} // namespace win32winamp
