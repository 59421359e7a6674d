// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player seam: how the player remote reaches a player on this platform.
#pragma once

#include "winamp/Modul_Winamp.h"

#include <QLoggingCategory>
#include <QString>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcWinamp)

// One way of reaching a media player: Winamp's window messages on Windows, MPRIS2 on the
// session bus elsewhere. Handles are the back-end's own; 0 is never a player.
class PlayerBackend {
public:
    virtual ~PlayerBackend() = default;
    // The player's handle, 0 when none runs.
    virtual WinampHandle find() = 0;
    // Sends a menu command without waiting; a handle of a player that has gone is ignored.
    virtual void postCommand(WinampHandle player, qint32 id) = 0;
    // The play state (0 stopped, 1 playing, 3 paused); 0 when the player has gone or gives no
    // answer within timeoutMs.
    virtual qint16 status(WinampHandle player, int timeoutMs) = 0;
    // The player window's text, ending in " - Winamp" while a track is loaded.
    virtual QString windowTitle(WinampHandle player) = 0;
};

// The back-end in use: the platform's own unless one was installed.
PlayerBackend &playerBackend();
// Installs a back-end and returns the previous one (null goes back to the platform's own).
std::unique_ptr<PlayerBackend> setPlayerBackend(std::unique_ptr<PlayerBackend> backend);
