// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files live.
//
// A program run from its build tree or from the folder the Windows build lays out keeps its
// files in the folder of the executable: "debug.txt" and the "AddIn" folder beside it.
//
// An installed program may not write beside itself. On Linux it counts as installed when it
// finds its installed add-in folder beside its own or when the user cannot write its folder;
// it writes "debug.txt" to the user's state folder and looks for add-ins first in the installed
// add-in folder, then in the user's data folder. On Windows it counts as installed when the
// installer's uninstaller "uninstall.exe" lies beside it (whether the folder is writable says
// nothing there: an administrator may write Program Files, and Wine lets everybody); it writes
// "debug.txt" to %LOCALAPPDATA%\Velmora and looks for add-ins first in "AddIn" beside itself,
// then in %LOCALAPPDATA%\Velmora\AddIn.
#pragma once

#include <QString>
#include <QStringList>

// The folder of the executable, or the folder a test has pointed it at.
QString programFolder();
// Points the program folder elsewhere; an empty text returns to the executable's folder.
void setProgramFolder(const QString &folder);
// folder + separator (unless the folder already ends in one) + name.
QString programFolderFile(const QString &name);

// The installed add-in folder, relative to the folder of the installed executable (Linux).
inline constexpr char kInstalledAddInFolder[] = "../lib/velmora/AddIn";
// The file beside an installed program on Windows: the installer puts it there, the
// uninstaller takes it away last.
inline constexpr char kWindowsUninstaller[] = "uninstall.exe";

enum class ProgramFile {
    TrafficLog, // "debug.txt", written by Setup > Create Logfile
    AddIns,     // the folders searched for add-in libraries
};

// Whose rules place the files; a parameter, so that both sets can be tried on one machine.
enum class FileRules { Linux, Windows };
#if defined(Q_OS_WIN)
inline constexpr FileRules kFileRules = FileRules::Windows;
#else
inline constexpr FileRules kFileRules = FileRules::Linux;
#endif

// True when the program runs installed rather than from the folder it was built into.
bool runsInstalled(FileRules rules = kFileRules);
// Where a file of the program lives: the places in search order, of which the first is also
// the one written to. Folders that do not exist yet are included; a writer creates them.
QStringList programFileLocations(ProgramFile file, FileRules rules = kFileRules);
