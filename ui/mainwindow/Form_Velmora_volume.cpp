// SPDX-License-Identifier: GPL-3.0-or-later
// Volume of both zones: the level display with its bar, the volume keys with press-and-hold,
// mute, and the receiver's six volume memories.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/AddInBroadcast.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "link/Form_Com.h"
#include "state/VolumeLevel.h"
#include "ui/ImageControl.h"
#include "ui/PictureBox.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
// The mini window's bar colour.
const QColor kMiniBarColour(255, 192, 255);
} // namespace

void Form_Velmora::DisplayVolume(const QString &Puffer) {
    ErrorScope on(kModule, QStringLiteral("DisplayVolume"));
    std::optional<VolumeReport> report;
    on.step([&] { report = decodeVolumeReport(Puffer); });
    if (report) showVolume(*report);
}

void Form_Velmora::showVolume(const VolumeReport &report) {
    ErrorScope on(kModule, QStringLiteral("DisplayVolume"));
    const bool main = report.zone == VolumeZone::Main;
    // The receiver repeats the same main level; an unchanged display costs nothing. Zone 2 is
    // shown every time.
    if (main && Line1->text() == report.line1) return;
    on.step([&] { Line1->setText(report.line1); });
    on.step([&] { Line2->setText(report.line2); });
    if (main)
        on.step([&] {
            if (PictureBox *picture = miniVolumePicture()) {
                picture->Cls();
                picture->fillBox(0, 0,
                                 static_cast<int>(miniBarWidth(report.value, picture->width())),
                                 picture->height(), kMiniBarColour);
            }
        });
    on.step([&] {
        AddInBroadcast *addIns = AddInBroadcast::current();
        if (!addIns) return;
        const float level = float(levelValue(report.level));
        if (main)
            addIns->SemdVolumeMain(level);
        else
            addIns->SemdVolumeZone2(level);
    });
}

void Form_Velmora::VolUp() {
    ErrorScope on(kModule, QStringLiteral("VolUp"));
    QString answer;
    on.step([&] {
        if (Menu_Mode_Zone2->isChecked())
            Form_Com::instance().Zone2VolUp(answer);
        else
            Form_Com::instance().MasterVolUp(answer);
    });
    on.step([&] { DisplayVolume(answer); });
}

void Form_Velmora::VolDown() {
    ErrorScope on(kModule, QStringLiteral("VolDown"));
    QString answer;
    on.step([&] {
        if (Menu_Mode_Zone2->isChecked())
            Form_Com::instance().Zone2VolDown(answer);
        else
            Form_Com::instance().MasterVolDown(answer);
    });
    on.step([&] { DisplayVolume(answer); });
}

void Form_Velmora::Mute(int Zone) {
    ErrorScope on(kModule, QStringLiteral("Mute"));
    if (Zone == 0) Zone = Menu_Mode_Zone2->isChecked() ? 2 : 1;
    // The check marks follow the receiver's mute report, not the command.
    on.step([&] {
        Form_Com &com = Form_Com::instance();
        if (Zone == 1) {
            if (Menu_Volume_Mute->isChecked())
                com.MasterVolMuteOff();
            else
                com.MasterVolMuteOn();
        } else if (Zone == 2) {
            if (Menu_Volume_MuteZone2->isChecked())
                com.Zone2VolMuteOff();
            else
                com.Zone2VolMuteOn();
        }
    });
}

void Form_Velmora::Timer_RePressKey_Timer() {
    // Each step waits for the receiver's answer; ticks that fall into that wait are dropped,
    // so the keys step once per round trip.
    if (m_inRePressTick) return;
    m_inRePressTick = true;
    ErrorScope on(kModule, QStringLiteral("Timer_RePressKey_Timer"));
    on.step([&] {
        if (Timer_RePressKey_Tag == QLatin1String("UP"))
            VolUp();
        else if (Timer_RePressKey_Tag == QLatin1String("DOWN"))
            VolDown();
    });
    m_inRePressTick = false;
}

void Form_Velmora::Image_VolUP_MouseDown(Qt::MouseButton Button) {
    ErrorScope on(kModule, QStringLiteral("Image_VolUP_MouseDown"));
    on.step([&] {
        if (Button == Qt::RightButton) {
            Mute(0);
            return;
        }
        startVolumeRepeat(QStringLiteral("UP"));
    });
}

void Form_Velmora::Image_VolDOWN_MouseDown(Qt::MouseButton Button) {
    ErrorScope on(kModule, QStringLiteral("Image_VolDOWN_MouseDown"));
    on.step([&] {
        if (Button == Qt::RightButton) {
            Mute(0);
            return;
        }
        startVolumeRepeat(QStringLiteral("DOWN"));
    });
}

void Form_Velmora::startVolumeRepeat(const QString &direction) {
    Timer_RePressKey_Tag = direction;
    Timer_RePressKey->start();
}

void Form_Velmora::Image_Vol_MouseUp() {
    Timer_RePressKey->stop();
}

void Form_Velmora::Menu_Volume_Mute_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Volume_Mute_Click"));
    on.step([&] { Mute(1); });
}

void Form_Velmora::Menu_Volume_MuteZone2_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Volume_MuteZone2_Click"));
    on.step([&] { Mute(2); });
}

void Form_Velmora::Menu_Volume_Save_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_Volume_Save_Click"));
    const QString bank(QChar(64 + Index));
    on.step([&] { Form_Com::instance().VolumeSave(bank); });
    on.step([&] {
        Line1->setText(QStringLiteral("Save Volume ") + bank);
        Line2->setText(QString());
    });
}

void Form_Velmora::Menu_Volume_Load_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_Volume_Load_Click"));
    const QString bank(QChar(64 + Index));
    on.step([&] { Form_Com::instance().VolumeLoad(bank); });
    // The new level arrives afterwards as an ordinary volume report.
    on.step([&] {
        Line1->setText(QStringLiteral("Volume ") + bank);
        Line2->setText(QString());
    });
}

void Form_Velmora::CheckKey(qint16 &KeyCode) {
    ErrorScope on(kModule, QStringLiteral("CheckKey"));
    on.step([&] {
        if (KeyCode >= 115 && KeyCode <= 120) {
            const QString bank(QChar(64 + (KeyCode - 114)));
            Form_Com::instance().VolumeLoad(bank);
            Line1->setText(QStringLiteral("Volume ") + bank);
            Line2->setText(QString());
        } else if (KeyCode == 123) {
            Mute(0);
        }
    });
}
