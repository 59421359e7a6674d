// The program's folder: "debug.txt" and the "AddIn" folder live beside the executable.
#pragma once

#include <QString>

// The folder of the executable, or the folder a test has pointed it at.
QString programFolder();
// Points the program folder elsewhere; an empty text returns to the executable's folder.
void setProgramFolder(const QString &folder);
// folder + separator (unless the folder already ends in one) + name.
QString programFolderFile(const QString &name);
