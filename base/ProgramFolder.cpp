// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files live; the program folder is replaceable for tests.
#include "base/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &overrideFolder() {
    static QString folder;
    return folder;
}

// $VARIABLE when it holds an absolute path, otherwise the home folder + fallback.
QString xdgFolder(const char *variable, const QString &fallback) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return value;
    return QDir::homePath() + QLatin1Char('/') + fallback;
}

// The user's own folder of the program on Windows: %LOCALAPPDATA%\Velmora, where the user's
// data folder stands in for a missing or relative %LOCALAPPDATA%.
QString localVelmoraFolder() {
    QString base = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + QStringLiteral("/Velmora");
}
} // namespace

QString programFolder() {
    if (!overrideFolder().isEmpty()) return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder) {
    overrideFolder() = folder;
}

QString programFolderFile(const QString &name) {
    QString folder = QDir::fromNativeSeparators(programFolder());
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return QDir::toNativeSeparators(folder + name);
}

bool runsInstalled(FileRules rules) {
    const QString folder = programFolder();
    if (rules == FileRules::Windows)
        return QFileInfo(folder + QLatin1Char('/') + QLatin1String(kWindowsUninstaller)).isFile();
    return QFileInfo(folder + QLatin1Char('/') + QLatin1String(kInstalledAddInFolder)).isDir() ||
           !QFileInfo(folder).isWritable();
}

QStringList programFileLocations(ProgramFile file, FileRules rules) {
    const bool installed = runsInstalled(rules);
    if (installed && rules == FileRules::Windows) {
        const QString local = localVelmoraFolder();
        if (file == ProgramFile::TrafficLog)
            return {QDir::toNativeSeparators(local + QStringLiteral("/debug.txt"))};
        return {programFolderFile(QStringLiteral("AddIn")),
                QDir::toNativeSeparators(local + QStringLiteral("/AddIn"))};
    }
    switch (file) {
    case ProgramFile::TrafficLog:
        if (!installed) return {programFolderFile(QStringLiteral("debug.txt"))};
        return {xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state")) +
                QStringLiteral("/Velmora/debug.txt")};
    case ProgramFile::AddIns:
        if (!installed) return {programFolderFile(QStringLiteral("AddIn"))};
        return {QDir::cleanPath(programFolder() + QLatin1Char('/') +
                                QLatin1String(kInstalledAddInFolder)),
                xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) +
                    QStringLiteral("/Velmora/AddIn")};
    }
    return {};
}
