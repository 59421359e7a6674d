// SPDX-License-Identifier: GPL-3.0-or-later
// The debug terminal: the link's traffic lines as they pass, and a line to send commands from.
#pragma once

#include "ui/SingleForm.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class Form_Com;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class Form_ComTerminal : public QWidget, public SingleForm<Form_ComTerminal> {
    Q_OBJECT
public:
    Form_ComTerminal();
    ~Form_ComTerminal() override;

    // The terminal is cleared before a log line once it holds more than this many characters.
    static constexpr int TerminalLimit = 65000;

    QPlainTextEdit *Text_Com;
    QLineEdit *Text_send;
    QPushButton *cmd_send;
    QPushButton *cmd_copy;
    QPushButton *cmd_clear;

    // Shows the traffic of link and sends over it.
    void attach(Form_Com &link);
    // One traffic-log line; kept only while the terminal is shown.
    void appendLine(const QString &line);

    void cmd_send_Click();
    void cmd_copy_Click();
    void cmd_clear_Click();
    // Returns the key to keep (0 discards it).
    int Text_send_KeyPress(int KeyAscii);
    void Text_Com_Change();
    void Form_Resize();
    void Form_Unload(int &Cancel);

Q_SIGNALS:
    // The terminal was closed: hidden, or gone at the program's end.
    void unloaded();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<Form_Com> m_link;
};
