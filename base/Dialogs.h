// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs seam: message boxes, input boxes and file-name dialogs in one facade; the windows
// behind it are installed by the program (ui/DialogWindows.h), a test installs a script.
#pragma once

#include <QString>
#include <memory>
#include <optional>

// Message-box styles and results, combined as button set | icon | default button.
namespace MsgBoxStyle {
enum : int {
    OKOnly = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    ButtonMask = 0x0F,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    IconMask = 0x70,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
    DefaultMask = 0x300,
};
} // namespace MsgBoxStyle

enum class MsgBoxResult : int {
    OK = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MsgBoxRequest {
    QString prompt;
    int style = MsgBoxStyle::OKOnly;
    QString title;
};

struct InputBoxRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QString filter; // "Script (*.txt)|*.txt": description and pattern pairs separated by "|"
    QString defaultExtension;
};

// Answers the dialogs; the program's responder shows real dialogs.
class DialogResponder {
public:
    virtual ~DialogResponder() = default;
    virtual MsgBoxResult msgBox(const MsgBoxRequest &request) = 0;
    // The text entered, or nullopt when the box was cancelled.
    virtual std::optional<QString> inputBox(const InputBoxRequest &request) = 0;
    // The chosen file name, or nullopt when the dialog was cancelled.
    virtual std::optional<QString> fileName(const FileDialogRequest &request) = 0;
};

class Dialogs {
public:
    // The title a box gets when none is given.
    static QString applicationTitle();

    static MsgBoxResult MsgBox(const QString &prompt, int style = MsgBoxStyle::OKOnly,
                               const QString &title = QString());
    // "" when cancelled, as an input box reports it.
    static QString InputBox(const QString &prompt, const QString &title = QString(),
                            const QString &defaultText = QString());
    static std::optional<QString> GetOpenFileName(const QString &title, const QString &filter,
                                                  const QString &defaultExtension = QString());
    static std::optional<QString> GetSaveFileName(const QString &title, const QString &filter,
                                                  const QString &defaultExtension = QString());

    // The installed responder; without one every box answers as if closed unseen.
    static DialogResponder &responder();
    // Installs a responder and returns the previous one (null: none).
    static std::unique_ptr<DialogResponder> install(std::unique_ptr<DialogResponder> responder);
};
