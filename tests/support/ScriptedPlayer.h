// SPDX-License-Identifier: GPL-3.0-or-later
// A media player for the tests that answers from fields and records what it is asked.
#pragma once

#include "base/RuntimeError.h"
#include "winamp/PlayerBackend.h"

#include <QList>

// A player that answers from fields. An MPRIS player acts on a command at once; a Winamp window
// answers a status request before it takes a command posted earlier.
class ScriptedPlayer : public PlayerBackend {
public:
    WinampHandle found = 0;
    qint16 state = WinampStatusStopped;
    bool actsAtOnce = false, failSearch = false;
    int searches = 0, statusRequests = 0;
    QList<qint32> posted;

    WinampHandle find() override {
        ++searches;
        if (failSearch) throw RuntimeError(ErrNr::Internal, "no bus");
        return found;
    }
    void postCommand(WinampHandle, qint32 id) override {
        posted << id;
        if (!actsAtOnce) return;
        if (id == VelmoraWinamp_JMP_STARTPOS) state = WinampStatusPlaying;
        if (id == VelmoraWinamp_PAUSE && state != WinampStatusStopped)
            state = state == WinampStatusPlaying ? WinampStatusPaused : WinampStatusPlaying;
    }
    qint16 status(WinampHandle, int) override { return ++statusRequests, state; }
    QString windowTitle(WinampHandle) override { return QString(); }
};
