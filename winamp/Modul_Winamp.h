// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player remote: finds the player, posts its menu commands, reads its play state and
// the title of the track it plays.
#pragma once

#include <velmora/WinampCommands.h> // the menu-command identifiers, enumVelmoraWinamp

#include <QString>
#include <QtGlobal>

// A player window as the program knows it; 0 means no player is known.
using WinampHandle = qintptr;

// The player the program last found. It is kept after the player has closed, until a caller
// refreshes it with RefreshWinamp. Only this module writes it.
extern WinampHandle hWndWinamp;

// Play states the player reports.
enum WinampStatus : qint16 {
    WinampStatusStopped = 0, // also: no answer, or a player that has gone
    WinampStatusPlaying = 1,
    WinampStatusPaused = 3,
};

// How long the program waits for the player to say whether it plays.
inline constexpr int kWinampStatusTimeoutMs = 1000;

// The text every player title carries and the display leaves out.
inline constexpr char kWinampTitleSuffix[] = " - Winamp";

// Searches for the player; 0 when none runs. Does not store what it finds.
WinampHandle FindWinamp();
// Searches for the player and keeps what it finds (0 when none runs) in hWndWinamp.
WinampHandle RefreshWinamp();
// Posts a menu command to hWndWinamp, searching first only when hWndWinamp is 0. Never waits
// for the player.
void WinampCommand(qint32 id);
// The play state of hWndWinamp (0 stopped, 1 playing, 3 paused); 0 when the player does not
// answer within a second or has gone. Never searches.
qint16 GetWinampStatus();
// The window text of a player ("" for 0 or a player that has gone).
QString GetWindowTitle(WinampHandle hWnd);
// The title of the running player without any " - Winamp"; "" when none runs. Leaves
// hWndWinamp as it is.
QString GetWinampTitle();

// What a play, pause or stop wish does to hWndWinamp, decided by its play state.
enum class WinampWish {
    Play,      // a stopped player starts, a paused one resumes, a playing one is left alone
    PlayPause, // as Play, and a playing player pauses
    Pause,     // a playing player pauses
    Stop,      // a playing player stops
};
// What was done: nothing, or the command posted and the status line's words for it.
struct WinampStep {
    qint32 command = 0; // 0: nothing was posted
    QString text;       // "Winamp play", "Winamp pause" or "Winamp stop"
};
// Carries out a wish on hWndWinamp. Each test of the play state asks the player afresh and the
// command goes out after all of them: a Winamp window answers the status request before it
// takes a posted command, but an MPRIS player takes its calls in order, so a pause posted
// between the tests would be seen by the next one as "paused" and resumed at once.
WinampStep WinampPlayStep(WinampWish wish);
