// SPDX-License-Identifier: GPL-3.0-or-later
// The player seam on Windows: Winamp's window messages.
#pragma once

#include "winamp/PlayerBackend.h"

class Win32PlayerBackend : public PlayerBackend {
public:
    WinampHandle find() override;
    void postCommand(WinampHandle player, qint32 id) override;
    qint16 status(WinampHandle player, int timeoutMs) override;
    QString windowTitle(WinampHandle player) override;
};
