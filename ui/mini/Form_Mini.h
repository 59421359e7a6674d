// SPDX-License-Identifier: GPL-3.0-or-later
// The mini window: a small always-on-top stand-in for the main window with the main-zone volume
// bar, press-and-hold volume areas, the function keys and the main commands on a pop-up menu.
#pragma once

#include "ui/SingleForm.h"

#include <QPointF>
#include <QWidget>

class ImageControl;
class PictureBox;
class QTimer;

class Form_Mini : public QWidget, public SingleForm<Form_Mini> {
    Q_OBJECT
public:
    Form_Mini();
    ~Form_Mini() override;

    ImageControl *Label_VolUp;
    ImageControl *Label_VolDown;
    ImageControl *Label_Min;   // "minimize"
    ImageControl *Label_Close; // "close"
    PictureBox *Pic_Vol;       // the main-zone volume bar
    QTimer *Timer_Fenster;     // puts the window back into the topmost band every second

    void Form_Load();
    void Form_KeyDown(qint16 KeyCode, int Shift);
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    void Label_Close_Click();
    void Label_Min_Click();
    void Label_VolUp_MouseDown(int Button);
    void Label_VolUp_MouseUp();
    void Label_VolDown_MouseDown(int Button);
    void Label_VolDown_MouseUp();
    void Timer_Fenster_Timer();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showPopUp(const QPoint &globalPos);

    float m_dragX = 0;
    float m_dragY = 0;
};

// The virtual-key code of a key ("F4" is 115, "A" is 65), 0 for keys without one.
qint16 virtualKeyCode(int qtKey);
