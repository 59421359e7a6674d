// The error-handling convention: a failing step is shown in the error box and the procedure
// goes on with its next step; some procedures ignore failures instead.
#pragma once

#include "errors/RuntimeError.h"

#include <QLoggingCategory>
#include <QString>
#include <functional>
#include <source_location>

Q_DECLARE_LOGGING_CATEGORY(lcErrors)

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
    bool step(F &&f, std::source_location where = std::source_location::current()) {
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
    void report(long number, const QString &message, const std::source_location &where);

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
