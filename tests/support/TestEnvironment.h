// SPDX-License-Identifier: GPL-3.0-or-later
// The common fixture of the window tests: a temporary program folder and settings store, the
// dialog, error box and shell recorders, and a clean slate afterwards.
#pragma once

#include "support/Recorders.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // The per-user settings store of the test, and the program's settings file in it.
    QString settingsFolder() const;
    QString settingsFile() const;
    // A file's bytes, empty when it cannot be read; a file written whole, true when it was.
    static QByteArray readFile(const QString &path);
    static bool writeFile(const QString &path, const QByteArray &bytes);

    ErrBoxRecorder errors;
    ScopedDialogs dialogs;
    ShellRecorder shell;

    // Every window destroyed, program-wide values back to their start, the port closed.
    static void resetProgram();

private:
    QTemporaryDir m_dir;
};
