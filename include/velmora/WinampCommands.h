// SPDX-License-Identifier: GPL-3.0-or-later
// The media player's menu commands as add-ins name them (enumVelmoraWinamp), the argument of the
// host object's WinampSendCommand. The list is written once, here: the program's enumeration and
// the host object's meta-enumeration (readable through QMetaEnum) are made from it.
#pragma once

#include <QtGlobal>

// X(name, value) for each command, in declaration order; the enumerator is VelmoraWinamp_<name>.
#define VELMORA_WINAMP_COMMANDS(X)                                                                 \
    X(QUIT, 40001)                                                                                 \
    X(OPEN_FILE_TO_PLAY, 40029)                                                                    \
    X(TIME_REMAINING, 40037)                                                                       \
    X(TIME_ELAPSED, 40038)                                                                         \
    X(OPTIONS_PLEDIT, 40040)                                                                       \
    X(HELP_ABOUT, 40041)                                                                           \
    X(POPUPMENU, 40043)                                                                            \
    X(JMP_STARTPOS, 40045) /* play */                                                              \
    X(PAUSE, 40046)        /* pause; resumes a paused player */                                    \
    X(STOP, 40047)                                                                                 \
    X(NEXTSONG, 40048)                                                                             \
    X(VOLUMEUP, 40058)                                                                             \
    X(VOLUMEDOWN, 40059)                                                                           \
    X(FFWDSS, 40060) /* forward 5 seconds */                                                       \
    X(REW5S, 40061)  /* back 5 seconds */                                                          \
    X(OPENLOCATION, 40155)                                                                         \
    X(DOUBLESIZE, 40165)                                                                           \
    X(OPENDIRECTORY, 40187)                                                                        \
    X(SHOWFILEINFO, 40188)                                                                         \
    X(PREFERENCES, 40191)                                                                          \
    X(VISUALISATION, 40192)                                                                        \
    X(JMP_TO_TIME, 40193)                                                                          \
    X(PLAYLIST_JMP_TO_FILE, 40194)                                                                 \
    X(PREVSONG, 40198)

#define VELMORA_WINAMP_ENUMERATOR(name, value) VelmoraWinamp_##name = value,

enum enumVelmoraWinamp : qint32 { VELMORA_WINAMP_COMMANDS(VELMORA_WINAMP_ENUMERATOR) };
