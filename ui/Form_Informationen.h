// SPDX-License-Identifier: GPL-3.0-or-later
// The information window: command options, keys and the wiring warning.
#pragma once

#include "ui/SingleForm.h"

#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

class Form_Informationen : public QWidget, public SingleForm<Form_Informationen> {
    Q_OBJECT
public:
    Form_Informationen();
    ~Form_Informationen() override;

    // The three texts, each line ended by CR LF.
    static const QString InfoText;
    static const QString KeysText;
    static const QString WarningText;

    QGroupBox *Frame_Info; // "Command options:"
    QPlainTextEdit *Text_Info;
    QGroupBox *Frame_Keys; // "Keys:"
    QPlainTextEdit *Text2;
    QPlainTextEdit *Text1;
    QPushButton *cmdOk;

    void cmdOk_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
