// SPDX-License-Identifier: GPL-3.0-or-later
// Recorders for the error box and the shell, installed for the lifetime of the object.
#pragma once

#include "base/ErrorHandling.h"
#include "ui/Shell.h"

#include <QList>
#include <QString>
#include <memory>

class ErrBoxRecorder {
public:
    ErrBoxRecorder();
    ~ErrBoxRecorder();
    QList<ErrBoxCall> calls;
    bool contains(const QString &module, const QString &proc, long number) const;
    bool only(long number) const { return calls.size() == 1 && calls.first().number == number; }
    // "module-proc number message" of every call, for failure messages.
    QString describe() const;

private:
    ErrBoxPresenter m_previous;
};

class ShellRecorder {
public:
    struct Call {
        enum class Kind { OpenDocument, StartProgram } kind;
        QString text;
        Shell::Style style;
    };
    ShellRecorder();
    ~ShellRecorder();
    QList<Call> calls;

private:
    std::unique_ptr<Shell> m_previous;
};
