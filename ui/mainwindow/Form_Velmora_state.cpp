// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's picture of the receiver: the kept configuration block, the reports, and the
// computer actions of the remote's 6.1/ES key.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "link/Form_Com.h"
#include "state/ConfigurationBlock.h"
#include "state/ReportEvaluation.h"
#include "ui/Shell.h"
#include "winamp/Modul_Winamp.h"

#include <QAction>
#include <QLabel>
#include <QLoggingCategory>
#include <QRadioButton>
#include <QTimer>

Q_LOGGING_CATEGORY(lcState, "velmora.state", QtWarningMsg)

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

// Writes the lines a report row gives; a line the row leaves alone keeps its text.
void applyLines(QLabel *line1, QLabel *line2, const StatusLines &lines) {
    if (lines.line1) line1->setText(*lines.line1);
    if (lines.line2) line2->setText(*lines.line2);
}
} // namespace

void Form_Velmora::SetYamahaSettings(const QString &Settings) {
    stSettings = Settings;
}

void Form_Velmora::SetSettings() {
    ErrorScope on(kModule, QStringLiteral("SetSettings"));
    bReceiverUpdate = 1;
    std::optional<PanelState> state;
    on.step([&] { state = decodeConfiguration(stSettings, Menu_Mode_Zone2->isChecked()); });
    if (state) {
        on.step([&] {
            selectOption(Opt_Input(state->input), &Form_Velmora::Opt_Input_Click, state->input);
        });
        on.step([&] {
            for (int i = Opt_InputMode.lowest(); i <= Opt_InputMode.highest(); ++i)
                Opt_InputMode(i)->setEnabled(state->inputModeEnabled);
        });
        if (state->inputMode)
            on.step([&] {
                selectOption(Opt_InputMode(*state->inputMode), &Form_Velmora::Opt_InputMode_Click,
                             *state->inputMode);
            });
        if (state->dsp)
            on.step([&] {
                selectOption(Opt_Dsp(*state->dsp), &Form_Velmora::Opt_Dsp_Click, *state->dsp);
            });
        const auto offOn = [&](auto &array, bool value, void (Form_Velmora::*handler)(int)) {
            on.step([&] { selectOption(array(value ? 1 : 0), handler, value ? 1 : 0); });
        };
        offOn(Opt_6ChInput, state->sixChannel, &Form_Velmora::Opt_6ChInput_Click);
        offOn(Opt_61ES, state->es61, &Form_Velmora::Opt_61ES_Click);
        offOn(Opt_SpeakersA, state->speakersA, &Form_Velmora::Opt_SpeakersA_Click);
        offOn(Opt_SpeakersB, state->speakersB, &Form_Velmora::Opt_SpeakersB_Click);
        // Plugged-in headphones switch the speakers off; their buttons wait until unplugged.
        on.step([&] { setSpeakerButtonsEnabled(!state->headphones); });
    }
    bReceiverUpdate = 0;
}

void Form_Velmora::DatenAuswerten(const QString &message) {
    ErrorScope on(kModule, QStringLiteral("DatenAuswerten"));
    qCDebug(lcState).noquote() << "report" << message;
    ReportPlan plan;
    on.step([&] { plan = planReport(message, Menu_Mode_Zone2->isChecked()); });
    if (plan.volume) {
        if (plan.volumeReport) on.step([&] { showVolume(*plan.volumeReport); });
        return;
    }
    bReceiverUpdate = 1;

    switch (plan.key) {
    case ReportKey::Key61ES:
        on.step([&] { run61ESActions(); });
        break;
    case ReportKey::SpeakersAOff:
    case ReportKey::SpeakersAOn:
        on.step([&] {
            const int i = plan.key == ReportKey::SpeakersAOn ? 1 : 0;
            selectOption(Opt_SpeakersA(i), &Form_Velmora::Opt_SpeakersA_Click, i);
        });
        break;
    case ReportKey::SpeakersBOff:
    case ReportKey::SpeakersBOn:
        on.step([&] {
            const int i = plan.key == ReportKey::SpeakersBOn ? 1 : 0;
            selectOption(Opt_SpeakersB(i), &Form_Velmora::Opt_SpeakersB_Click, i);
        });
        break;
    case ReportKey::Rs232Test:
        on.step([&] { Form_Com::instance().SendCommand(message, 0); });
        on.step([&] { applyLines(Line1, Line2, plan.keyLines); });
        break;
    case ReportKey::None:
        break;
    }

    if (plan.input) on.step([&] { SetInputButton(*plan.input, 0, plan.inputZone2 ? 1 : 0); });

    switch (plan.action) {
    case ReportAction::Es61Off:
    case ReportAction::Es61On:
        on.step([&] {
            const int i = plan.action == ReportAction::Es61On ? 1 : 0;
            selectOption(Opt_61ES(i), &Form_Velmora::Opt_61ES_Click, i);
        });
        break;
    case ReportAction::MuteOff:
    case ReportAction::MuteOn:
        on.step([&] { Menu_Volume_Mute->setChecked(plan.action == ReportAction::MuteOn); });
        on.step([&] { applyLines(Line1, Line2, plan.lines); });
        on.step([&] { playerFollowsMute(plan.action == ReportAction::MuteOn); });
        break;
    case ReportAction::Zone2MuteOff:
    case ReportAction::Zone2MuteOn:
        on.step(
            [&] { Menu_Volume_MuteZone2->setChecked(plan.action == ReportAction::Zone2MuteOn); });
        on.step([&] { applyLines(Line1, Line2, plan.lines); });
        break;
    case ReportAction::Dsp:
        on.step([&] { SetDSPButton(plan.index, 0); });
        break;
    case ReportAction::InputMode:
        on.step([&] {
            selectOption(Opt_InputMode(plan.index), &Form_Velmora::Opt_InputMode_Click, plan.index);
        });
        on.step([&] {
            qint16 input = 0;
            GetInputButton(input);
            SetInputButton(input, -1, 0);
        });
        on.step([&] { applyLines(Line1, Line2, plan.lines); });
        on.step([&] { Pause(0.5f); });
        break;
    case ReportAction::Lines:
        on.step([&] { applyLines(Line1, Line2, plan.lines); });
        break;
    case ReportAction::HeadphoneOff:
    case ReportAction::HeadphoneOn:
        on.step([&] { applyLines(Line1, Line2, plan.lines); });
        on.step([&] { setSpeakerButtonsEnabled(plan.action == ReportAction::HeadphoneOff); });
        break;
    case ReportAction::PowerOn:
        on.step([&] {
            if (!Menu_Extras_61_ES(2)->isChecked()) {
                applyLines(Line1, Line2, plan.lines);
            } else {
                playerForwardStep();
            }
        });
        break;
    case ReportAction::None:
        break;
    }

    if (plan.sixChannel != SixChannel::None) {
        const bool on6 = plan.sixChannel == SixChannel::On;
        on.step([&] {
            selectOption(Opt_6ChInput(on6 ? 1 : 0), &Form_Velmora::Opt_6ChInput_Click, on6 ? 1 : 0);
        });
        on.step([&] { applyLines(Line1, Line2, plan.sixChannelLines); });
        on.step([&] {
            // Six-channel input bypasses the decoder: no sound program, input mode or 6.1/ES.
            for (QRadioButton *b : Opt_Dsp)
                if (b) b->setEnabled(!on6);
            for (QRadioButton *b : Opt_InputMode)
                if (b) b->setEnabled(!on6);
            Opt_61ES(0)->setEnabled(!on6);
            Opt_61ES(1)->setEnabled(!on6);
        });
    }
    bReceiverUpdate = 0;
}

void Form_Velmora::setSpeakerButtonsEnabled(bool enabled) {
    for (QRadioButton *b : {Opt_SpeakersA(0), Opt_SpeakersA(1), Opt_SpeakersB(0), Opt_SpeakersB(1)})
        b->setEnabled(enabled);
}

void Form_Velmora::run61ESActions() {
    ErrorScope on(kModule, QStringLiteral("DatenAuswerten"));
    on.step([&] {
        if (!Menu_Extras_61_ES(1)->isChecked()) return;
        if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) {
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            show();
            raise();
            activateWindow();
        } else {
            setWindowState(windowState() | Qt::WindowMinimized);
        }
    });
    on.step([&] {
        if (!Menu_Extras_61_ES(2)->isChecked()) return;
        if (RefreshWinamp() == 0) {
            Dialogs::MsgBox(
                QStringLiteral("WinAmp muss zuerst gestartet werden,\r\n"
                               "um ihn auch fernsteuern zu können.\r\n\r\n"
                               "Falls Sie Winamp3 benutzen dieser wird nicht unterstützt..."),
                MsgBoxStyle::OKOnly);
            return;
        }
        if (!Timer_CheckTastenRepeat->isActive()) {
            // A first press: the next track, unless a second press follows in time.
            Timer_CheckTastenRepeat->start();
            return;
        }
        Timer_CheckTastenRepeat->stop();
        showPlayerStep(QStringLiteral("Previous"), VelmoraWinamp_PREVSONG);
    });
    on.step([&] {
        if (Menu_Extras_61_ES(3)->isChecked()) RunShellCommand();
    });
}

void Form_Velmora::showPlayerStep(const QString &what, qint32 command) {
    const QString kept1 = Line1->text();
    const QString kept2 = Line2->text();
    lblWinAmp->hide();
    // A full title period passes before the player's title may cover the lines again.
    Timer_WinampView->stop();
    Timer_WinampView->start();
    Line1->setText(QStringLiteral("Winamp"));
    Line2->setText(what);
    WinampCommand(command);
    Pause(0.5f);
    Line1->setText(kept1);
    Line2->setText(kept2);
}

void Form_Velmora::Timer_CheckTastenRepeat_Timer() {
    ErrorScope on(kModule, QStringLiteral("Timer_CheckTastenRepeat_Timer"));
    on.step([&] { showPlayerStep(QStringLiteral("Next"), VelmoraWinamp_NEXTSONG); });
    on.step([&] { Timer_CheckTastenRepeat->stop(); });
}

void Form_Velmora::playerFollowsMute(bool muted) {
    if (!Menu_Extras_61_ES(2)->isChecked()) return;
    if (RefreshWinamp() == 0) return;
    const WinampStep step = WinampPlayStep(muted ? WinampWish::Pause : WinampWish::Play);
    if (step.command != 0) Line2->setText(step.text);
}

void Form_Velmora::playerForwardStep() {
    if (RefreshWinamp() == 0 || GetWinampStatus() != 1) return;
    WinampCommand(VelmoraWinamp_FFWDSS);
    WinampCommand(VelmoraWinamp_FFWDSS);
}

void Form_Velmora::RunShellCommand() {
    // The command line is the user's own; a program that cannot be started is not our error.
    ignoringFailures([&] {
        if (Menu_Extras_61_ES_Tag.isEmpty()) return;
        Shell::current().startProgram(Menu_Extras_61_ES_Tag, Shell::Style::MinimizedFocus);
    });
}
