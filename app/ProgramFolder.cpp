// The program's folder, replaceable for tests.
#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideFolder() {
    static QString folder;
    return folder;
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
