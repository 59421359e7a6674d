// SPDX-License-Identifier: GPL-3.0-or-later
// Scripted answers for message, input and file boxes.
#include "support/ScriptedDialogs.h"

int ScriptedDialogs::count(Shown::Kind kind) const {
    int n = 0;
    for (const Shown &s : shown)
        n += s.kind == kind;
    return n;
}

MsgBoxResult ScriptedDialogs::msgBox(const MsgBoxRequest &r) {
    shown.append(Shown{Shown::Kind::MsgBox, r.prompt, r.title, r.style, {}});
    if (!m_answers.isEmpty() && std::holds_alternative<MsgBoxResult>(m_answers.head()))
        return std::get<MsgBoxResult>(m_answers.dequeue());
    // The default button's answer.
    static const QList<QList<MsgBoxResult>> sets = {
        {MsgBoxResult::OK},
        {MsgBoxResult::OK, MsgBoxResult::Cancel},
        {MsgBoxResult::Abort, MsgBoxResult::Retry, MsgBoxResult::Ignore},
        {MsgBoxResult::Yes, MsgBoxResult::No, MsgBoxResult::Cancel},
        {MsgBoxResult::Yes, MsgBoxResult::No},
        {MsgBoxResult::Retry, MsgBoxResult::Cancel}};
    const int set = r.style & MsgBoxStyle::ButtonMask;
    const QList<MsgBoxResult> &buttons = sets.value(set, sets.constFirst());
    const int index = (r.style & MsgBoxStyle::DefaultMask) >> 8;
    return buttons.value(index, buttons.constFirst());
}

std::optional<QString> ScriptedDialogs::textAnswer() {
    if (!m_answers.isEmpty() && std::holds_alternative<std::optional<QString>>(m_answers.head()))
        return std::get<std::optional<QString>>(m_answers.dequeue());
    return std::nullopt;
}

std::optional<QString> ScriptedDialogs::inputBox(const InputBoxRequest &r) {
    shown.append(Shown{Shown::Kind::InputBox, r.prompt, r.title, 0, r.defaultText});
    return textAnswer();
}

std::optional<QString> ScriptedDialogs::fileName(const FileDialogRequest &r) {
    shown.append(Shown{Shown::Kind::FileDialog, {}, r.title, 0, {}});
    return textAnswer();
}

ScopedDialogs::ScopedDialogs() {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_previous = Dialogs::install(std::move(dialogs));
}

ScopedDialogs::~ScopedDialogs() {
    Dialogs::install(std::move(m_previous));
}
