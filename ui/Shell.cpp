// SPDX-License-Identifier: GPL-3.0-or-later
// The real shell: QDesktopServices for documents and links, QProcess for programs.
#include "ui/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
class DesktopShell final : public Shell {
public:
    bool openDocument(const QString &document, Style) override {
        QUrl url;
        if (QFileInfo::exists(document))
            url = QUrl::fromLocalFile(QFileInfo(document).absoluteFilePath());
        else
            url = QUrl(document, QUrl::TolerantMode);
        return url.isValid() && QDesktopServices::openUrl(url);
    }

    bool startProgram(const QString &commandLine, Style) override {
        QStringList args = QProcess::splitCommand(commandLine);
        if (args.isEmpty()) return false;
        const QString program = args.takeFirst();
        return QProcess::startDetached(program, args);
    }
};

std::unique_ptr<Shell> &slot() {
    static std::unique_ptr<Shell> s = std::make_unique<DesktopShell>();
    return s;
}
} // namespace

Shell &Shell::current() {
    return *slot();
}

std::unique_ptr<Shell> Shell::install(std::unique_ptr<Shell> shell) {
    if (!shell) shell = std::make_unique<DesktopShell>();
    std::swap(slot(), shell);
    return shell;
}
