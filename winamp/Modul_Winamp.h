// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player remote: finds the player, posts its menu commands, reads its play state and
// the title of the track it plays.
#pragma once

#include <QString>
#include <QtGlobal>

// A player window as the program knows it; 0 means no player is known.
using WinampHandle = qintptr;

// The player the program last found. It is kept after the player has closed, until a caller
// refreshes it with FindWinamp.
extern WinampHandle hWndWinamp;

// Menu-command identifiers of the player, as add-ins name them.
enum enumVelmoraWinamp : qint32 {
    VelmoraWinamp_QUIT = 40001,
    VelmoraWinamp_OPEN_FILE_TO_PLAY = 40029,
    VelmoraWinamp_TIME_REMAINING = 40037,
    VelmoraWinamp_TIME_ELAPSED = 40038,
    VelmoraWinamp_OPTIONS_PLEDIT = 40040,
    VelmoraWinamp_HELP_ABOUT = 40041,
    VelmoraWinamp_POPUPMENU = 40043,
    VelmoraWinamp_JMP_STARTPOS = 40045, // play
    VelmoraWinamp_PAUSE = 40046,        // pause; resumes a paused player
    VelmoraWinamp_STOP = 40047,
    VelmoraWinamp_NEXTSONG = 40048,
    VelmoraWinamp_VOLUMEUP = 40058,
    VelmoraWinamp_VOLUMEDOWN = 40059,
    VelmoraWinamp_FFWDSS = 40060, // forward 5 seconds
    VelmoraWinamp_REW5S = 40061,  // back 5 seconds
    VelmoraWinamp_OPENLOCATION = 40155,
    VelmoraWinamp_DOUBLESIZE = 40165,
    VelmoraWinamp_OPENDIRECTORY = 40187,
    VelmoraWinamp_SHOWFILEINFO = 40188,
    VelmoraWinamp_PREFERENCES = 40191,
    VelmoraWinamp_VISUALISATION = 40192,
    VelmoraWinamp_JMP_TO_TIME = 40193,
    VelmoraWinamp_PLAYLIST_JMP_TO_FILE = 40194,
    VelmoraWinamp_PREVSONG = 40198,
};

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
