// SPDX-License-Identifier: GPL-3.0-or-later
// The Setup menu: serial port, report interval, debug terminal and traffic log file.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "base/ProgramFolder.h"
#include "link/Form_Com.h"
#include "ui/Form_Port.h"
#include "ui/WindowProcs.h"
#include "ui/terminal/Form_ComTerminal.h"

#include <QAction>
#include <QFile>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

} // namespace

void Form_Velmora::usePort(long number) {
    Form_Com::instance().Com->setCommPort(number);
}

void Form_Velmora::Menu_Setup_Port_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_Setup_Port_Click"));
    // The port is used at the next connect; nothing is opened or sent now.
    on.step([&] { usePort(Index); });
    on.step([&] { checkOnly(Menu_Setup_Port, Index); });
}

void Form_Velmora::Menu_Setup_Ports_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Setup_Ports_Click"));
    on.step([&] {
        Form_Port &dialog = Form_Port::instance();
        if (!dialog.isVisible()) {
            dialog.Form_Load();
            placeBeside(&dialog, this);
        }
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
}

void Form_Velmora::Menu_Setup_ReportTime_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_Setup_ReportTime_Click"));
    on.step([&] { checkOnly(Menu_Setup_ReportTime, Index); });
    // Sent whether or not a receiver is connected; a closed port drops it.
    on.step([&] { Form_Com::instance().runCommand(reportTimeCommand(Index), nullptr); });
}

void Form_Velmora::Menu_Setup_Debug_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Setup_Debug_Click"));
    on.step([&] { setDebugView(!Menu_Setup_Debug->isChecked()); });
}

void Form_Velmora::setDebugView(bool on) {
    Menu_Setup_Debug->setChecked(on);
    if (on) {
        // Not modal: the main window stays usable beside the terminal.
        if (!Form_ComTerminal::existing()) {
            // A new terminal shows this link's traffic; its close unchecks "Debug View".
            Form_ComTerminal::instance().attach(Form_Com::instance());
            connect(&Form_ComTerminal::instance(), &Form_ComTerminal::unloaded, this,
                    [this] { Menu_Setup_Debug->setChecked(false); });
        }
        Form_ComTerminal &terminal = Form_ComTerminal::instance();
        if (!terminal.isVisible()) placeBeside(&terminal, this);
        terminal.show();
        terminal.raise();
    } else if (Form_ComTerminal *terminal = Form_ComTerminal::existing()) {
        terminal->hide();
    }
}

void Form_Velmora::Menu_Setup_Log_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Setup_Log_Click"));
    if (Menu_Setup_Log->isChecked()) {
        Menu_Setup_Log->setChecked(false); // the file stays as it is
        return;
    }
    Menu_Setup_Log->setChecked(true);
    on.step([&] {
        // Every new log starts with an empty file.
        QFile log(programFileLocations(ProgramFile::TrafficLog).constFirst());
        if (log.exists() && !log.remove())
            RuntimeError::fileAccess(log.fileName(), log.errorString());
    });
}

void Form_Velmora::updateTrafficLogOptions() {
    TrafficLogOptions options;
    options.logFile = Menu_Setup_Log->isChecked();
    options.terminal = Menu_Setup_Debug->isChecked();
    options.connected = Timer_Check->isActive();
    Form_Com::instance().setTrafficLogOptions(options);
}
