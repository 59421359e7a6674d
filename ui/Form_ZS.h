// SPDX-License-Identifier: GPL-3.0-or-later
// The "Time Control" dialog: builds schedule lines, keeps them in its list until the program
// ends, saves and loads them as script files, and turns them into the active schedule.
#pragma once

#include "ui/ControlArray.h"
#include "ui/SingleForm.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class Form_ZS : public QWidget, public SingleForm<Form_ZS> {
    Q_OBJECT
public:
    Form_ZS();
    ~Form_ZS() override;

    QGroupBox *Frame_Uhrzeit; // "Time"
    QLineEdit *Text_Stunde;
    QLineEdit *Text_Minute;
    QGroupBox *Frame_Datum; // "Date"
    QLineEdit *Text_Tag;
    QLineEdit *Text_Monat;
    QLineEdit *Text_Jahr;
    // 0: on the date beside it; 1: "Every Day".
    ControlArray<QRadioButton, 0, 1> Option_Auswahl;
    QComboBox *Combo_Aktion;
    QListWidget *List_ZS;
    QPushButton *cmdAdd;
    QPushButton *cmdRemove;
    QPushButton *cmdClear;
    QPushButton *cmdScriptLoad;
    QPushButton *cmdScriptSave;
    QPushButton *cmdOK;

    void Form_Load();
    void Form_Unload(int &Cancel);
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClear_Click();
    void Command_OK_Click();
    void cmdScriptLoad_Click();
    void cmdScriptSave_Click();
    // Replaces the active schedule by one built from the list, top to bottom; a line that
    // cannot be parsed shows the error box and is left out.
    void SetTimeContol();

    // The list's lines, top to bottom.
    QStringList lines() const;

protected:
    void closeEvent(QCloseEvent *event) override;
};
