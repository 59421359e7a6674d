// SPDX-License-Identifier: GPL-3.0-or-later
// The error box window and the error-report mail.
#pragma once

#include "base/ErrorHandling.h"

#include <QDialog>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The decorative picture of the error box: a warning emblem.
class ErrBoxPicture : public QWidget {
    Q_OBJECT
public:
    explicit ErrBoxPicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The box that every guarded procedure's failure ends in. It names the place and the error,
// takes the user's description and mails a report of it to the developer.
class Form_ErrBox : public QDialog {
    Q_OBJECT
public:
    Form_ErrBox();
    ~Form_ErrBox() override;

    QLabel *Label1;        // the place
    QLabel *Label2;        // the error
    QLabel *Label3;        // "Error Description"
    QPlainTextEdit *Text1; // what the user was doing
    QPushButton *cmdSend;  // "&Send Report"
    QPushButton *cmdClose; // "&Cancel"
    ErrBoxPicture *Picture2;

    // Caption, both message lines and the widening for one failure, without showing the box.
    void prepare(const ErrBoxCall &call);

    void cmdSend_Click();
    void cmdClose_Click();
    void SendReportOutlook();
    void SendReportMail();

    // The report as it is mailed, and the "mailto:" link that carries it.
    QString reportText() const;
    QString reportLink() const;

    // The box on screen (or being prepared for it), else null.
    static Form_ErrBox *existing();

private:
    void placeControls();
};

// Shows the error box for one failure: modally, topmost, with a beep and the arrow pointer,
// and unloads it when it closes. Never fails its caller.
//
// One box exists at a time. A failure that arrives while a box is open (from a timer or a
// click that runs inside the box's modal loop) is queued instead of stacking a second box on
// the first: its caller returns at once and goes on with its next step, and the queued boxes
// are shown in the order of their failures once the open one has closed, all before the first
// failure's caller continues. Dropping the later failures instead would lose exactly the
// reports that explain a chain of errors.
void showErrBoxWindow(const ErrBoxCall &call);

// Makes the real error box the presenter of every ShowErrBox call.
void installErrBoxWindow();
