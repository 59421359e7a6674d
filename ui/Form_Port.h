// SPDX-License-Identifier: GPL-3.0-or-later
// The "Port" window: the device or network bridge behind each port number, and a test of it.
#pragma once

#include "ui/SingleForm.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class Form_Port : public QWidget, public SingleForm<Form_Port> {
    Q_OBJECT
public:
    static constexpr int Ports = 5;

    Form_Port();
    ~Form_Port() override;

    // One line per port 1 to 5 (index 0 is port 1): what it uses, the test and its result.
    std::array<QLineEdit *, Ports> txtDevice{};
    std::array<QPushButton *, Ports> cmdTest{};
    std::array<QLabel *, Ports> lblResult{};
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    // Fills the lines from the environment, the settings store and the standard devices.
    void Form_Load();
    // Opens the line's device or bridge, asks for the configuration block and says what answered.
    void cmdTest_Click(int Index);
    // Keeps the lines the user changed in the settings store and closes the window.
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    // What the line stands for now: its text, or the standard device when it is empty.
    QString deviceOf(int Index) const;
};
