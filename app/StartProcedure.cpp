// SPDX-License-Identifier: GPL-3.0-or-later
// The start procedure.
#include "app/StartProcedure.h"

#ifdef VELMORA_HAVE_DBUS
#include "addins/AddInService.h"
#include "addins/RunningProgram.h"
#endif
#include "addins/clsAddIns.h"
#include "base/CommandLine.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "base/Version.h"
#include "link/Form_Com.h"
#include "link/Waits.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcApp, "velmora.app", QtWarningMsg)

void runStartProcedure(bool mayHandOver) {
    // Failures here are ignored: the program starts as far as it can.
    QElapsedTimer clock;
    clock.start();
    ignoringFailures([] {
        if (!gAddIns) gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
    });
#ifdef VELMORA_HAVE_DBUS
    // Started while Velmora runs: the running program takes the command line over, this one
    // ends. Checked again after claiming the bus name fails, for two programs started at once.
    const auto handedOver = [mayHandOver] {
        if (!mayHandOver) return false;
        const std::optional<int> exitCode = handOverToRunningProgram(Command());
        if (exitCode) QCoreApplication::exit(*exitCode);
        return exitCode.has_value();
    };
    if (handedOver()) return;
    // Other programs reach the add-in host on the session bus; a program started by a client's
    // call (bus activation) registers that client's add-in during the wait below.
    holdHandOvers(true);
    ignoringFailures([] {
        exportRunningProgram();
        startAddInService();
        if (!addInService()) unexportRunningProgram();
    });
    if (!addInService() && handedOver()) return;
#else
    // Other programs reach the add-in host in-process only (the AddIn folder).
    Q_UNUSED(mayHandOver);
#endif
    ignoringFailures([] {
        stAppVersion = Version::appVersionText(Version::Major, Version::Minor, Version::Revision);
        stBuildDate = QString::fromLatin1(Version::BuildDate);
    });
    // Another program may start this one to register an add-in; give it a second to do so.
    ignoringFailures([] { pauseWithEvents(1.0); });
    ignoringFailures([&] {
        if (gAddIns && gAddIns->Count() != 0)
            return;                 // the registering add-in has loaded the main window already
        if (bProgramEnding) return; // that add-in has ended the program already
        Form_Velmora::instance().Show();
        qCInfo(lcApp) << "main window shown" << clock.elapsed() << "ms after start";
    });
#ifdef VELMORA_HAVE_DBUS
    // A second start during the wait brings its options now.
    holdHandOvers(false);
#endif
}
