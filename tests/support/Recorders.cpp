// SPDX-License-Identifier: GPL-3.0-or-later
// Error box and shell recorders.
#include "support/Recorders.h"

ErrBoxRecorder::ErrBoxRecorder() {
    m_previous = setErrBoxPresenter([this](const ErrBoxCall &c) { calls.append(c); });
}

ErrBoxRecorder::~ErrBoxRecorder() {
    setErrBoxPresenter(std::move(m_previous));
}

bool ErrBoxRecorder::contains(const QString &module, const QString &proc, long number) const {
    for (const ErrBoxCall &c : calls)
        if (c.module == module && c.proc == proc && c.number == number) return true;
    return false;
}

QString ErrBoxRecorder::describe() const {
    QStringList out;
    for (const ErrBoxCall &c : calls)
        out << QStringLiteral("%1-%2 %3 %4 (line %5)")
                   .arg(c.module, c.proc)
                   .arg(c.number)
                   .arg(c.message)
                   .arg(c.line);
    return out.join(QStringLiteral("; "));
}

namespace {
class RecordingShell final : public Shell {
public:
    explicit RecordingShell(ShellRecorder *owner) : m_owner(owner) {}
    bool openDocument(const QString &document, Style style) override {
        m_owner->calls.append({ShellRecorder::Call::Kind::OpenDocument, document, style});
        return true;
    }
    bool startProgram(const QString &commandLine, Style style) override {
        m_owner->calls.append({ShellRecorder::Call::Kind::StartProgram, commandLine, style});
        return true;
    }

private:
    ShellRecorder *m_owner;
};
} // namespace

ShellRecorder::ShellRecorder() {
    m_previous = Shell::install(std::make_unique<RecordingShell>(this));
}

ShellRecorder::~ShellRecorder() {
    Shell::install(std::move(m_previous));
}
