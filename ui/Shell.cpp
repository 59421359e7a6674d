// SPDX-License-Identifier: GPL-3.0-or-later
// The real shell: QDesktopServices for documents and links, QProcess for programs.
#include "ui/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {
#ifdef Q_OS_WIN
// The command line goes to the system as it stands, as a command typed into Run would: a path
// with spaces needs no quotes ("C:\Program Files\Winamp\winamp.exe" starts Winamp), and the
// program gets the window style asked for.
bool startCommandLine(const QString &commandLine, Shell::Style style) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    // Shell::Style's values, 0 to 3, in order.
    static constexpr WORD kShow[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    startup.wShowWindow = kShow[static_cast<int>(style)];
    std::wstring text = commandLine.trimmed().toStdWString(); // CreateProcessW may write to it
    if (text.empty()) return false;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
#endif

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

    bool startProgram(const QString &commandLine, Style style) override {
#ifdef Q_OS_WIN
        return startCommandLine(commandLine, style);
#else
        Q_UNUSED(style);
        QStringList args = QProcess::splitCommand(commandLine);
        if (args.isEmpty()) return false;
        const QString program = args.takeFirst();
        return QProcess::startDetached(program, args);
#endif
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
