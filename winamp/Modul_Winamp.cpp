// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player remote's operations, carried out by the player back-end in use.
#include "winamp/Modul_Winamp.h"

#include "winamp/PlayerBackend.h"

WinampHandle hWndWinamp = 0;

WinampHandle FindWinamp() {
    return playerBackend().find();
}

WinampHandle RefreshWinamp() {
    hWndWinamp = FindWinamp();
    return hWndWinamp;
}

void WinampCommand(qint32 id) {
    if (hWndWinamp == 0) hWndWinamp = FindWinamp();
    // A window message to no window would land in the program's own queue.
    if (hWndWinamp != 0) playerBackend().postCommand(hWndWinamp, id);
}

qint16 GetWinampStatus() {
    if (hWndWinamp == 0) return WinampStatusStopped;
    return playerBackend().status(hWndWinamp, kWinampStatusTimeoutMs);
}

QString GetWindowTitle(WinampHandle hWnd) {
    if (hWnd == 0) return QString();
    return playerBackend().windowTitle(hWnd);
}

QString GetWinampTitle() {
    QString title = GetWindowTitle(FindWinamp());
    title.remove(QLatin1String(kWinampTitleSuffix), Qt::CaseInsensitive);
    return title;
}

WinampStep WinampPlayStep(WinampWish wish) {
    WinampStep step;
    const auto when = [&](WinampStatus status, qint32 command, const char *text) {
        if (GetWinampStatus() != status) return;
        step.command = command;
        step.text = QString::fromLatin1(text);
    };
    switch (wish) {
    case WinampWish::Play:
    case WinampWish::PlayPause:
        when(WinampStatusStopped, VelmoraWinamp_JMP_STARTPOS, "Winamp play");
        if (wish == WinampWish::PlayPause)
            when(WinampStatusPlaying, VelmoraWinamp_PAUSE, "Winamp pause");
        when(WinampStatusPaused, VelmoraWinamp_PAUSE, "Winamp play"); // resumes
        break;
    case WinampWish::Pause:
        when(WinampStatusPlaying, VelmoraWinamp_PAUSE, "Winamp pause");
        break;
    case WinampWish::Stop:
        when(WinampStatusPlaying, VelmoraWinamp_STOP, "Winamp stop");
        break;
    }
    if (step.command != 0) WinampCommand(step.command);
    return step;
}
