// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files live.
//
// A program run from its build tree, and every program on Windows, keeps its files in the
// folder of the executable: "debug.txt" and the "AddIn" folder beside it. An installed program
// (one whose folder the user cannot write, or that finds its installed add-in folder beside
// its own) writes "debug.txt" to the user's state folder and looks for add-ins first in the
// installed add-in folder, then in the user's data folder.
#pragma once

#include <QString>
#include <QStringList>

// The folder of the executable, or the folder a test has pointed it at.
QString programFolder();
// Points the program folder elsewhere; an empty text returns to the executable's folder.
void setProgramFolder(const QString &folder);
// folder + separator (unless the folder already ends in one) + name.
QString programFolderFile(const QString &name);

// The installed add-in folder, relative to the folder of the installed executable.
inline constexpr char kInstalledAddInFolder[] = "../lib/velmora/AddIn";

enum class ProgramFile {
    TrafficLog, // "debug.txt", written by Setup > Create Logfile
    AddIns,     // the folders searched for add-in libraries
};

// True when the program runs installed rather than from its build tree (never on Windows).
bool runsInstalled();
// Where a file of the program lives: the places in search order, of which the first is also
// the one written to. Folders that do not exist yet are included; a writer creates them.
QStringList programFileLocations(ProgramFile file);
