// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's player keys and the display of the playing title.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "winamp/Modul_Winamp.h"

#include <QLabel>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
}

// A double click arrives as Click and then DblClick: five seconds, then the track.
void Form_Velmora::imgWinampNext_Click() {
    ErrorScope on(kModule, QStringLiteral("imgWinampNext_Click"));
    on.step([] {
        if (RefreshWinamp() != 0) WinampCommand(VelmoraWinamp_FFWDSS);
    });
}

void Form_Velmora::imgWinampNext_DblClick() {
    ErrorScope on(kModule, QStringLiteral("imgWinampNext_DblClick"));
    on.step([] {
        if (RefreshWinamp() != 0) WinampCommand(VelmoraWinamp_NEXTSONG);
    });
}

void Form_Velmora::imgWinampPrevious_Click() {
    ErrorScope on(kModule, QStringLiteral("imgWinampPrevious_Click"));
    on.step([] {
        if (RefreshWinamp() != 0) WinampCommand(VelmoraWinamp_REW5S);
    });
}

void Form_Velmora::imgWinampPrevious_DblClick() {
    ErrorScope on(kModule, QStringLiteral("imgWinampPrevious_DblClick"));
    on.step([] {
        if (RefreshWinamp() != 0) WinampCommand(VelmoraWinamp_PREVSONG);
    });
}

void Form_Velmora::Timer_WinampView_Timer() {
    ErrorScope on(kModule, QStringLiteral("Timer_WinampView_Timer"));
    on.step([&] {
        // A new title covers the status lines for one period and is hidden at the next tick.
        const QString title = GetWinampTitle();
        if (!title.isEmpty() && title != lblWinAmp->text()) {
            lblWinAmp->setText(title);
            lblWinAmp->show();
        } else {
            lblWinAmp->hide();
        }
    });
}
