// SPDX-License-Identifier: GPL-3.0-or-later
// The error box seam and the per-procedure error handler.
#include "base/ErrorHandling.h"

Q_LOGGING_CATEGORY(lcErrors, "velmora.errors", QtWarningMsg)

namespace {
ErrBoxPresenter &presenter() {
    static ErrBoxPresenter p;
    return p;
}
} // namespace

ErrBoxPresenter setErrBoxPresenter(ErrBoxPresenter p) {
    ErrBoxPresenter old = std::move(presenter());
    presenter() = std::move(p);
    return old;
}

void ShowErrBox(const QString &stProc, const QString &stModulname, long lErrNr,
                const QString &stErrMsg, long lErrLine) {
    qCWarning(lcErrors).noquote() << "Error in" << stModulname + "-" + stProc << lErrNr << stErrMsg
                                  << "line" << lErrLine;
    if (!presenter()) return;
    try {
        presenter()(ErrBoxCall{stProc, stModulname, lErrNr, stErrMsg, lErrLine});
    } catch (...) {
        // The box itself never fails its caller.
    }
}

void ErrorScope::report(long number, const QString &message, SourceLine where) {
    ++m_failures;
    if (m_mode == Mode::Ignore) return;
    ShowErrBox(m_proc, m_module, number, message, where.line());
}
