// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in manager: the registered add-ins, kept current while the window is open.
#pragma once

#include "ui/SingleForm.h"

#include <QPointer>
#include <QWidget>

class QListWidget;
class QPushButton;
class clsAddIn;
class clsAddIns;

class Form_AddIns : public QWidget, public SingleForm<Form_AddIns> {
    Q_OBJECT
public:
    Form_AddIns();
    ~Form_AddIns() override;

    QListWidget *lstAddIns;
    QPushButton *cmdOk;

    // Rebuilds the list from the registry, in its order; each line keeps its host object.
    void ShowItems();
    // Double-click or Enter on a line: the settings of an add-in loaded from the add-in folder
    // whose object has a method Settings(); nothing for any other.
    void lstAddIns_ItemActivated(int row);
    void Form_Load();
    void Form_Unload();
    void cmdOk_Click();

    // One list line: name, version, copyright and creation time, each followed by "; " but the
    // last.
    static QString itemLine(const clsAddIn &addIn);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The host object of each line, in the order of the lines.
    QList<QPointer<clsAddIn>> m_lines;
    // The registry whose Refresh rebuilds the list while the window is loaded.
    QPointer<clsAddIns> oAddIns;
};
