// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver information window: model, model ID, software version and answer string.
#pragma once

#include "ui/SingleForm.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

class Form_YInfo : public QWidget, public SingleForm<Form_YInfo> {
    Q_OBJECT
public:
    Form_YInfo();
    ~Form_YInfo() override;

    QLineEdit *text_modell;          // "Model:"
    QLineEdit *text_modellid;        // "Model ID:"
    QLineEdit *text_softwareversion; // "Softwareversion :"
    QLineEdit *text_YString;         // "Yamaha return string:"
    QPushButton *cmdOk;

    void cmdOk_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
