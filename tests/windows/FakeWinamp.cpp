// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for Winamp in the Windows tests: the main window of class "Winamp v1.x" that
// answers the play-state query as the player does and writes every message it gets to a log.
//
//   fake-winamp.exe LOGFILE
//
// Log lines: "ready 0" once the window is there, "command ID" for WM_COMMAND, "status N" for an
// answered play-state query.
#include <windows.h>

#include <cstdio>

namespace {
FILE *gLog = nullptr;
long gState = 0; // 0 stopped, 1 playing, 3 paused

void logLine(const char *what, long value) {
    std::fprintf(gLog, "%s %ld\n", what, value);
    std::fflush(gLog);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COMMAND) {
        const long id = static_cast<long>(LOWORD(w));
        logLine("command", id);
        if (id == 40045) gState = 1;                                  // play
        if (id == 40046 && gState != 0) gState = gState == 1 ? 3 : 1; // pause, resume
        if (id == 40047) gState = 0;                                  // stop
        if (id == 40001) DestroyWindow(window);                       // quit
        return 0;
    }
    if (message == WM_USER && l == 104) {
        logLine("status", gState);
        return gState;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}
} // namespace

int main(int argc, char **argv) {
    gLog = argc == 2 ? std::fopen(argv[1], "wb") : nullptr; // "\n" alone, as the tests read it
    if (!gLog) return 2;
    WNDCLASSA type{};
    type.lpfnWndProc = procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "Winamp v1.x";
    if (!RegisterClassA(&type) ||
        !CreateWindowA("Winamp v1.x", "1. Velmora Test - Fake Track - Winamp", WS_OVERLAPPEDWINDOW,
                       0, 0, 275, 116, nullptr, nullptr, type.hInstance, nullptr))
        return 1;
    logLine("ready", 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    std::fclose(gLog);
    return 0;
}
