// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files live; the program folder is replaceable for tests.
#include "base/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

bool runsInstalled() {
#if defined(Q_OS_WIN)
    return false;
#else
    const QString folder = programFolder();
    return QFileInfo(folder + QLatin1Char('/') + QLatin1String(kInstalledAddInFolder)).isDir() ||
           !QFileInfo(folder).isWritable();
#endif
}

QStringList programFileLocations(ProgramFile file) {
    const bool installed = runsInstalled();
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
