// SPDX-License-Identifier: GPL-3.0-or-later
// The about window.
#pragma once

#include "ui/SingleForm.h"

#include <QIcon>
#include <QPixmap>
#include <QWidget>

class QLabel;

class Form_Intro : public QWidget, public SingleForm<Form_Intro> {
    Q_OBJECT
public:
    Form_Intro();
    ~Form_Intro() override;

    QLabel *Image1;     // the picture; a click closes the window
    QLabel *lblVersion; // "Version: " + version + " - " + build date

    void Form_Load();
    void Form_Unload();
    void Image1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The picture of the about window: the program's emblem drawn at the given size.
class QPixmap;
QPixmap velmoraEmblem(int width, int height);
// The program's window icon: the installed icon, in the usual sizes.
QIcon velmoraIcon();
