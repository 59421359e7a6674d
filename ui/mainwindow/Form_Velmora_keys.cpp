// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's media-key poll: keypad plus and minus while the window is in front, and the
// keyboard's player and volume keys whichever program is in front, as the Extras menu chooses.
#include "base/Globals.h"
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "hotkeys/KeyStateSource.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "winamp/Modul_Winamp.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

// Virtual-key codes of the keys the poll reads.
enum : qint32 {
    kKeypadPlus = 107,
    kKeypadMinus = 109,
    kVolumeMute = 173,
    kVolumeDown = 174,
    kVolumeUp = 175,
    kNextTrack = 176,
    kPreviousTrack = 177,
    kStop = 178,
    kPlayPause = 179,
};

// A key that went down since it was last asked for and is still down: bits 15 and 0 and no
// other.
constexpr qint16 kFreshPress = qint16(kKeyDownNow | kKeyPressedSince);
} // namespace

bool Form_Velmora::CompKey(qint32 code) {
    ErrorScope on(kModule, QStringLiteral("CompKey"));
    bool pressed = false;
    on.step([&] { pressed = keyStateSource().keyState(code) == kFreshPress; });
    return pressed;
}

void Form_Velmora::Timer_CheckKeys_Timer() {
    // A tick that sends a receiver command waits for the answer, and a track key waits half a
    // second; ticks that fall into those waits are dropped.
    if (m_inCheckKeysTick) return;
    // Nor is a tick run inside another procedure's exchange with the receiver (the port poll
    // lets events run while it reads): a command would be dropped on the busy link and the
    // key's press lost with it. Left unasked, the press still counts on a later tick if the key
    // is down then.
    if (Form_Com::instance().linkBusy()) return;
    m_inCheckKeysTick = true;
    const auto done = qScopeGuard([this] {
        m_inCheckKeysTick = false;
        restKeyPollWhenIdle();
    });
    ErrorScope on(kModule, QStringLiteral("Timer_CheckKeys_Timer"));

    // Keypad plus and minus only while this window is the one in front. Anything of the
    // program's own in front (the mini window, a dialog) counts as another window.
    bool inFront = false;
    on.step([&] { inFront = QApplication::activeWindow() == this; });
    if (inFront) {
        on.step([&] {
            if (CompKey(kKeypadPlus)) VolUp();
        });
        on.step([&] {
            if (CompKey(kKeypadMinus)) VolDown();
        });
    }

    bool player = false;
    on.step([&] { player = Menu_Extras_MT_Winamp->isChecked(); });
    if (player) {
        // The player may have been started or closed since the last tick.
        on.step([&] { RefreshWinamp(); });
        if (hWndWinamp != 0) {
            const auto show = [&](const WinampStep &step) {
                if (step.command == 0) return;
                Line1->setText(QString());
                Line2->setText(step.text);
            };
            on.step([&] {
                if (CompKey(kStop)) show(WinampPlayStep(WinampWish::Stop));
            });
            bool playPause = false;
            on.step([&] { playPause = CompKey(kPlayPause); });
            if (playPause) on.step([&] { show(WinampPlayStep(WinampWish::PlayPause)); });
            on.step([&] {
                if (CompKey(kNextTrack)) {
                    WinampCommand(VelmoraWinamp_NEXTSONG);
                    Line1->setText(QString());
                    Line2->setText(QStringLiteral("Winamp next"));
                    Pause(0.5f);
                }
            });
            on.step([&] {
                if (CompKey(kPreviousTrack)) {
                    WinampCommand(VelmoraWinamp_PREVSONG);
                    Line1->setText(QString());
                    Line2->setText(QStringLiteral("Winamp prev"));
                    Pause(0.5f);
                }
            });
        }
    }

    bool receiver = false;
    on.step([&] { receiver = Menu_Extras_MT_Yamaha->isChecked(); });
    if (receiver) {
        on.step([&] {
            if (CompKey(kVolumeDown)) VolDown();
        });
        on.step([&] {
            if (CompKey(kVolumeUp)) VolUp();
        });
        on.step([&] {
            if (CompKey(kVolumeMute)) Mute(0);
        });
    }
}

void Form_Velmora::startKeyPoll() {
    // Where the key source can say that a key changed, the 10 ms poll runs only from a key of
    // its table going down until every such key is up again and its press was taken; a press
    // is still seen within one tick. Elsewhere it runs from the load to the unload.
    KeyStateSource &keys = keyStateSource();
    if (keys.canWake())
        keys.setWakeUp([this] {
            if (!bProgramEnding && !Timer_CheckKeys->isActive()) Timer_CheckKeys->start();
        });
    Timer_CheckKeys->start();
}

void Form_Velmora::stopKeyPoll() {
    Timer_CheckKeys->stop();
    keyStateSource().setWakeUp({});
}

void Form_Velmora::restKeyPollWhenIdle() {
    KeyStateSource &keys = keyStateSource();
    if (keys.canWake() && !keys.needsPolling()) Timer_CheckKeys->stop();
}

void Form_Velmora::prepareMediaKeys() {
    Menu_Extras->setToolTipsVisible(true);
    updateMediaKeyToolTips();
    // The key-state source can differ between the building of the menu and its first showing
    // (tests install their own); the tool tips follow the one in use.
    connect(Menu_Extras, &QMenu::aboutToShow, this, [this] { updateMediaKeyToolTips(); });
}

void Form_Velmora::updateMediaKeyToolTips() {
    if (keyStateSource().isAvailable()) {
        Menu_Extras_MT_Winamp->setToolTip(
            QStringLiteral("The keyboard's play/pause, stop, next and previous track keys drive "
                           "the media player, whichever program is in front"));
        Menu_Extras_MT_Yamaha->setToolTip(
            QStringLiteral("The keyboard's volume up, volume down and mute keys drive the "
                           "receiver, whichever program is in front"));
    } else {
        const QString unavailable =
            QStringLiteral("Not available on this desktop (%1): the keys pressed in other "
                           "programs cannot be read here")
                .arg(QApplication::platformName());
        Menu_Extras_MT_Winamp->setToolTip(unavailable);
        Menu_Extras_MT_Yamaha->setToolTip(unavailable);
    }
}
