// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs behind the Dialogs facade.
#include "ui/DialogWindows.h"

#include "base/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QWidget *dialogParent() {
    QWidget *w = QApplication::activeWindow();
    return (w && w->isVisible()) ? w : nullptr;
}

// "Script (*.txt)|*.txt" becomes "Script (*.txt)".
QString qtFilter(const QString &filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        const QString patterns =
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (description.contains(QLatin1Char('(')) ? description
                                                       : description + " (" + patterns + ")");
    }
    return out.join(QStringLiteral(";;"));
}

class QtDialogs final : public DialogResponder {
public:
    MsgBoxResult msgBox(const MsgBoxRequest &r) override {
        QMessageBox box(dialogParent());
        box.setWindowTitle(r.title);
        box.setText(r.prompt);
        switch (r.style & MsgBoxStyle::IconMask) {
        case MsgBoxStyle::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgBoxStyle::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgBoxStyle::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgBoxStyle::Information:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
        }
        struct B {
            QMessageBox::StandardButton qt;
            MsgBoxResult result;
        };
        QList<B> buttons;
        switch (r.style & MsgBoxStyle::ButtonMask) {
        case MsgBoxStyle::OKCancel:
            buttons = {{QMessageBox::Ok, MsgBoxResult::OK},
                       {QMessageBox::Cancel, MsgBoxResult::Cancel}};
            break;
        case MsgBoxStyle::AbortRetryIgnore:
            buttons = {{QMessageBox::Abort, MsgBoxResult::Abort},
                       {QMessageBox::Retry, MsgBoxResult::Retry},
                       {QMessageBox::Ignore, MsgBoxResult::Ignore}};
            break;
        case MsgBoxStyle::YesNoCancel:
            buttons = {{QMessageBox::Yes, MsgBoxResult::Yes},
                       {QMessageBox::No, MsgBoxResult::No},
                       {QMessageBox::Cancel, MsgBoxResult::Cancel}};
            break;
        case MsgBoxStyle::YesNo:
            buttons = {{QMessageBox::Yes, MsgBoxResult::Yes}, {QMessageBox::No, MsgBoxResult::No}};
            break;
        case MsgBoxStyle::RetryCancel:
            buttons = {{QMessageBox::Retry, MsgBoxResult::Retry},
                       {QMessageBox::Cancel, MsgBoxResult::Cancel}};
            break;
        default:
            buttons = {{QMessageBox::Ok, MsgBoxResult::OK}};
            break;
        }
        QMessageBox::StandardButtons set;
        for (const B &b : buttons)
            set |= b.qt;
        box.setStandardButtons(set);
        const int defaultIndex = (r.style & MsgBoxStyle::DefaultMask) >> 8;
        if (defaultIndex < buttons.size()) box.setDefaultButton(buttons.at(defaultIndex).qt);
        const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
        for (const B &b : buttons)
            if (b.qt == clicked) return b.result;
        // Closed with the window's close box: the cancel button's answer, else the first.
        for (const B &b : buttons)
            if (b.result == MsgBoxResult::Cancel) return b.result;
        return buttons.constLast().result;
    }

    std::optional<QString> inputBox(const InputBoxRequest &r) override {
        bool ok = false;
        const QString text = QInputDialog::getText(dialogParent(), r.title, r.prompt,
                                                   QLineEdit::Normal, r.defaultText, &ok);
        if (!ok) return std::nullopt;
        return text;
    }

    std::optional<QString> fileName(const FileDialogRequest &r) override {
        QFileDialog dialog(dialogParent(), r.title, QString(), qtFilter(r.filter));
        dialog.setAcceptMode(r.mode == FileDialogRequest::Mode::Save ? QFileDialog::AcceptSave
                                                                     : QFileDialog::AcceptOpen);
        dialog.setFileMode(r.mode == FileDialogRequest::Mode::Save ? QFileDialog::AnyFile
                                                                   : QFileDialog::ExistingFile);
        // The program asks its own overwrite question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!r.defaultExtension.isEmpty()) dialog.setDefaultSuffix(r.defaultExtension);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

} // namespace

void installDialogWindows() {
    Dialogs::install(std::make_unique<QtDialogs>());
}
