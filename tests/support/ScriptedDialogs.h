// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog responder for tests: records every box and answers from a script.
#pragma once

#include "base/Dialogs.h"

#include <QList>
#include <QQueue>
#include <memory>
#include <variant>

class ScriptedDialogs : public DialogResponder {
public:
    struct Shown {
        enum class Kind { MsgBox, InputBox, FileDialog };
        Kind kind;
        QString prompt; // message or input prompt
        QString title;
        int style = 0;       // message boxes: buttons | icon | default button
        QString defaultText; // input boxes
    };

    // Answers are taken in order; without one a message box answers with its default
    // button, an input box and a file dialog as if cancelled.
    void answerMsgBox(MsgBoxResult result) { m_answers.enqueue(result); }
    void answerInput(std::optional<QString> text) { m_answers.enqueue(std::move(text)); }
    void answerFile(std::optional<QString> name) { answerInput(std::move(name)); }

    QList<Shown> shown;
    const Shown &last() const { return shown.constLast(); }
    int count(Shown::Kind kind) const;

    MsgBoxResult msgBox(const MsgBoxRequest &request) override;
    std::optional<QString> inputBox(const InputBoxRequest &request) override;
    std::optional<QString> fileName(const FileDialogRequest &request) override;

private:
    std::optional<QString> textAnswer();
    QQueue<std::variant<MsgBoxResult, std::optional<QString>>> m_answers;
};

// Installs a ScriptedDialogs for the lifetime of the object.
class ScopedDialogs {
public:
    ScopedDialogs();
    ~ScopedDialogs();
    ScriptedDialogs *operator->() { return m_dialogs; }

private:
    ScriptedDialogs *m_dialogs;
    std::unique_ptr<DialogResponder> m_previous;
};
