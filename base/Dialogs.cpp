// SPDX-License-Identifier: GPL-3.0-or-later
// The Dialogs facade and its installed responder.
#include "base/Dialogs.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDialogs, "velmora.dialogs", QtWarningMsg)

namespace {

// No window layer: every box is logged and answers as a box closed with its close box does.
class UnseenDialogs final : public DialogResponder {
public:
    MsgBoxResult msgBox(const MsgBoxRequest &r) override {
        qCWarning(lcDialogs).noquote() << "message box without a window:" << r.prompt;
        switch (r.style & MsgBoxStyle::ButtonMask) {
        case MsgBoxStyle::OKCancel:
        case MsgBoxStyle::YesNoCancel:
        case MsgBoxStyle::RetryCancel:
            return MsgBoxResult::Cancel;
        case MsgBoxStyle::AbortRetryIgnore:
            return MsgBoxResult::Ignore;
        case MsgBoxStyle::YesNo:
            return MsgBoxResult::No;
        default:
            return MsgBoxResult::OK;
        }
    }
    std::optional<QString> inputBox(const InputBoxRequest &r) override {
        qCWarning(lcDialogs).noquote() << "input box without a window:" << r.prompt;
        return std::nullopt;
    }
    std::optional<QString> fileName(const FileDialogRequest &r) override {
        qCWarning(lcDialogs).noquote() << "file dialog without a window:" << r.title;
        return std::nullopt;
    }
};

std::unique_ptr<DialogResponder> &slot() {
    static std::unique_ptr<DialogResponder> s;
    return s;
}

} // namespace

QString Dialogs::applicationTitle() {
    return QStringLiteral("Velmora");
}

MsgBoxResult Dialogs::MsgBox(const QString &prompt, int style, const QString &title) {
    return responder().msgBox(
        MsgBoxRequest{prompt, style, title.isNull() ? applicationTitle() : title});
}

QString Dialogs::InputBox(const QString &prompt, const QString &title, const QString &defaultText) {
    const auto answer = responder().inputBox(
        InputBoxRequest{prompt, title.isNull() ? applicationTitle() : title, defaultText});
    return answer.value_or(QString());
}

std::optional<QString> Dialogs::GetOpenFileName(const QString &title, const QString &filter,
                                                const QString &defaultExtension) {
    return responder().fileName(
        FileDialogRequest{FileDialogRequest::Mode::Open, title, filter, defaultExtension});
}

std::optional<QString> Dialogs::GetSaveFileName(const QString &title, const QString &filter,
                                                const QString &defaultExtension) {
    return responder().fileName(
        FileDialogRequest{FileDialogRequest::Mode::Save, title, filter, defaultExtension});
}

DialogResponder &Dialogs::responder() {
    static UnseenDialogs unseen;
    return slot() ? *slot() : unseen;
}

std::unique_ptr<DialogResponder> Dialogs::install(std::unique_ptr<DialogResponder> responder) {
    std::swap(slot(), responder);
    return responder;
}
