// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player remote's operations, carried out by the player back-end in use.
#include "winamp/Modul_Winamp.h"

#include "winamp/PlayerBackend.h"

WinampHandle hWndWinamp = 0;

WinampHandle FindWinamp() {
    return playerBackend().find();
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
