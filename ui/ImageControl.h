// SPDX-License-Identifier: GPL-3.0-or-later
// A picture that acts as a button: mouse down and up with the button pressed, click and double
// click, in the order the main window's handlers expect them. Space and Enter on a key that has
// the focus, and a screen reader's press action, act as the left mouse button does.
#pragma once

#include <QWidget>

class ImageControl : public QWidget {
    Q_OBJECT
public:
    enum class Art {
        VolumeUp,
        VolumeDown,
        PlayerPrevious,
        PlayerNext,
        InputUp,
        InputDown,
        InputMode,
        Standby,
        Flap,
        Minimize,
        Close,
    };

    ImageControl(Art art, const QString &toolTip, QWidget *parent);

    Art art() const { return m_art; }
    // The flap button points down while the flap is shut and up while it is open.
    void setFlapOpen(bool open);
    bool isFlapOpen() const { return m_flapOpen; }
    // A short click as a screen reader's press action gives it: the key shows pressed (and a
    // volume key steps) for a moment, then is released.
    void animateClick();

signals:
    // A double click arrives as MouseDown, MouseUp, Click, DblClick, MouseUp: the second press
    // gives no MouseDown and its release no Click.
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // A button's press and release, from the mouse or from what stands in for its left button.
    void press(Qt::MouseButton button);
    void release(Qt::MouseButton button, bool click);

    Art m_art;
    bool m_flapOpen = false;
    bool m_hover = false;
    bool m_pressed = false;
    bool m_secondPress = false;
    int m_heldKey = 0; // the keyboard key that holds this key down, 0 for none
};
