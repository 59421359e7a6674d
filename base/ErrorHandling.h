// SPDX-License-Identifier: GPL-3.0-or-later
// The error-handling convention: a failing step is shown in the error box and the procedure
// goes on with its next step; some procedures ignore failures instead.
#pragma once

#include "base/RuntimeError.h"

#include <QLoggingCategory>
#include <QString>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcErrors)

// The source line of a failing step, as the error box shows it; taken where the step is
// written (the builtin that std::source_location rests on, which every compiler in use has).
struct SourceLine {
    long number = 0;
    static constexpr SourceLine current(long line = __builtin_LINE()) { return SourceLine{line}; }
    long line() const { return number; }
};

// What the error box is asked to show.
struct ErrBoxCall {
    QString proc;
    QString module;
    long number = 0;
    QString message;
    long line = 0;
    bool operator==(const ErrBoxCall &) const = default;
};

// The error box seam: the application installs the real box, a test installs a recorder.
// Without a presenter the failure is only logged.
using ErrBoxPresenter = std::function<void(const ErrBoxCall &)>;
ErrBoxPresenter setErrBoxPresenter(ErrBoxPresenter presenter);

// Shows the error box for a failure in procedure stProc of module stModulname. Failures
// inside the box are suppressed.
void ShowErrBox(const QString &stProc, const QString &stModulname, long lErrNr,
                const QString &stErrMsg, long lErrLine);

// One procedure's error handler. Each step runs guarded; when it fails, the handler shows the
// box (or, for procedures that ignore failures, says nothing) and the next step runs.
class ErrorScope {
public:
    enum class Mode { ShowBox, Ignore };

    ErrorScope(QString module, QString proc, Mode mode = Mode::ShowBox)
        : m_module(std::move(module)), m_proc(std::move(proc)), m_mode(mode) {}

    // Runs f; returns true when it finished without a failure.
    template <class F>
    bool step(F &&f, SourceLine where = SourceLine::current()) {
        try {
            std::forward<F>(f)();
            return true;
        } catch (...) {
            const FailureDescription failure = describeCurrentFailure();
            report(failure.number, failure.description, where);
        }
        return false;
    }

    int failures() const { return m_failures; }
    const QString &procedure() const { return m_proc; }
    const QString &module() const { return m_module; }

private:
    void report(long number, const QString &message, SourceLine where);

    QString m_module;
    QString m_proc;
    Mode m_mode;
    int m_failures = 0;
};

// Runs a whole procedure body that ignores its failures (no box).
template <class F>
void ignoringFailures(F &&f) {
    try {
        std::forward<F>(f)();
    } catch (...) {
    }
}
