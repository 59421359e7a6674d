// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's time control: the "TimeControl" menu and the schedule timer that fires
// due entries on the receiver or the media player.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "timecontrol/Clock.h"
#include "timecontrol/ScheduleRules.h"
#include "timecontrol/clsTimeControl.h"
#include "ui/Form_ZS.h"
#include "ui/WindowProcs.h"
#include "winamp/Modul_Winamp.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
constexpr int kCommandAttempts = 3;
} // namespace

void Form_Velmora::Menu_ZS_Aktiv_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_ZS_Aktiv_Click"));
    if (!connectedOrSaySo(on)) return;
    // The check mark mirrors the timer; closing the connection later leaves both running.
    on.step([&] {
        Menu_ZS_Aktiv->setChecked(!Menu_ZS_Aktiv->isChecked());
        if (Menu_ZS_Aktiv->isChecked())
            Timer_ZS->start();
        else
            Timer_ZS->stop();
    });
}

void Form_Velmora::Menu_ZS_Einstellungen_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_ZS_Einstellungen_Click"));
    on.step([&] {
        Form_ZS &dialog = Form_ZS::instance();
        if (!dialog.isVisible()) placeBeside(&dialog, this);
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
}

void Form_Velmora::Timer_ZS_Timer() {
    // A tick that arrives while a firing still waits for the receiver is skipped, so one entry
    // never fires twice from nested ticks.
    if (m_inZSTick) return;
    // Nor does it run inside another exchange with the receiver (the port poll lets events run
    // while it reads): its command would be dropped on the busy link. The due entry stays armed
    // for the next tick.
    if (Form_Com::instance().linkBusy()) return;
    m_inZSTick = true;
    ErrorScope on(kModule, QStringLiteral("Timer_ZS_Timer"));
    // The pass keeps its schedule even if the dialog replaces the active one meanwhile.
    const std::shared_ptr<clsTimeControl> schedule = gTimeControl;
    long due = 0;
    if (schedule) on.step([&] { due = findDueEntry(*schedule, clockToday(), clockTime()); });
    if (due != 0) {
        QString stCommand;
        QString stDescription;
        on.step([&] {
            const clsTimeControlItem &item = schedule->Item(due);
            stCommand = item.stCommand;
            stDescription = item.stDescription;
        });
        if (!stCommand.isEmpty())
            fireScheduledCommand(stCommand, on);
        else
            fireScheduledPlayerAction(stCommand, stDescription, on);
        // Fired, whatever came of it; a daily entry is armed again once its minute is over.
        on.step([&] { schedule->Item(due).bDisable = true; });
        on.step([&] { Pause(1); });
    }
    m_inZSTick = false;
}

void Form_Velmora::fireScheduledCommand(const QString &stCommand, ErrorScope &on) {
    Form_Com &com = Form_Com::instance();
    for (int attempt = 0; attempt < kCommandAttempts; ++attempt) {
        QString answer;
        // Whatever waits is not the answer.
        on.step([&] { com.ClearComPuffer(); });
        on.step([&] { com.SendCommand(stCommand, 0); });
        on.step([&] { com.ReadPort(answer, false); });
        if (answer.isEmpty()) continue;
        // The answer is the receiver's report of the change: the panel and the status lines
        // follow it as they follow any report.
        passOnMessages(answer, on);
        break;
    }
}

void Form_Velmora::fireScheduledPlayerAction(const QString &stCommand, const QString &stDescription,
                                             ErrorScope &on) {
    on.step([] { RefreshWinamp(); });
    if (hWndWinamp == 0) return;
    const auto names = [&](const char *word) {
        const QLatin1String w(word);
        return stCommand.toLower().contains(w) || stDescription.toLower().contains(w);
    };
    const auto show = [&](const WinampStep &step) {
        if (step.command != 0) Line2->setText(step.text);
    };
    if (names("play")) on.step([&] { show(WinampPlayStep(WinampWish::Play)); });
    if (names("stop")) on.step([&] { show(WinampPlayStep(WinampWish::Stop)); });
}
