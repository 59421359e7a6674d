// SPDX-License-Identifier: GPL-3.0-or-later
// The shell seam: opening documents and mail links, starting programs.
#pragma once

#include <QString>
#include <memory>

class Shell {
public:
    // Window styles for started programs.
    enum class Style { Hidden = 0, NormalFocus = 1, MinimizedFocus = 2, Maximized = 3 };

    virtual ~Shell() = default;
    // Opens a file, folder or address ("mailto:...", "https://...") with its default handler.
    // Returns true when the platform accepted it.
    virtual bool openDocument(const QString &document, Style style) = 0;
    // Starts a program from a command line without waiting for it.
    virtual bool startProgram(const QString &commandLine, Style style) = 0;

    // The shell in use; the application's real one unless a test installed another.
    static Shell &current();
    // Installs a shell and returns the previous one (null restores the real shell).
    static std::unique_ptr<Shell> install(std::unique_ptr<Shell> shell);
};
