// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for Winamp in the Windows tests: the main window of class "Winamp v1.x" that
// answers the play-state query as the player does and writes every message it gets to a log.
//
//   fake-winamp.exe LOGFILE ["window title"]
//
// Log lines: "command ID" for WM_COMMAND, "status N" for an answered play-state query.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
FILE *gLog = nullptr;
long gState = 0; // 0 stopped, 1 playing, 3 paused

void logLine(const char *what, long value) {
    std::fprintf(gLog, "%s %ld\n", what, value);
    std::fflush(gLog);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND: {
        const long id = static_cast<long>(LOWORD(w));
        logLine("command", id);
        switch (id) {
        case 40045:
            gState = 1;
            break; // play
        case 40046:
            gState = gState == 1 ? 3 : gState == 3 ? 1 : gState;
            break; // pause/resume
        case 40047:
            gState = 0;
            break; // stop
        case 40001:
            DestroyWindow(window);
            break; // quit
        default:
            break;
        }
        return 0;
    }
    case WM_USER:
        if (l == 104) {
            logLine("status", gState);
            return gState;
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, w, l);
    }
}
} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake-winamp LOGFILE [TITLE]\n");
        return 2;
    }
    gLog = std::fopen(argv[1], "wb"); // "\n" alone, as the tests read it
    if (!gLog) return 1;
    const char *title = argc > 2 ? argv[2] : "1. Velmora Test - Fake Track - Winamp";
    WNDCLASSA type{};
    type.lpfnWndProc = procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "Winamp v1.x";
    if (!RegisterClassA(&type)) return 1;
    HWND window = CreateWindowA("Winamp v1.x", title, WS_OVERLAPPEDWINDOW, 0, 0, 275, 116, nullptr,
                                nullptr, type.hInstance, nullptr);
    if (!window) return 1;
    logLine("ready", 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::fclose(gLog);
    return 0;
}
