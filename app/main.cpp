// SPDX-License-Identifier: GPL-3.0-or-later
// Velmora's entry point: installs the real seams and runs the start procedure.
#ifdef VELMORA_HAVE_DBUS
#include "addins/AddInService.h"
#include "addins/RunningProgram.h"
#endif
#include "addins/clsAddIns.h"
#include "app/StartProcedure.h"
#include "base/CommandLine.h"
#include "base/EndOnSignal.h"
#include "base/Globals.h"
#include "link/Form_Com.h"
#include "ui/DialogWindows.h"
#include "ui/Form_ErrBox.h"
#include "ui/Form_Intro.h"
#include "ui/WindowProcs.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>

namespace {
// The End menu item's shutdown, once no procedure waits in an event loop of its own. A box or
// a wait that runs one is still using the windows and the link the shutdown destroys: boxes are
// closed (as with Escape) and the shutdown comes when the waits have ended, at most 5 s later.
void endOrderly(int tries = 0) {
    if (QThread::currentThread()->loopLevel() > 1 && tries < 100) {
        if (QWidget *box = QApplication::activeModalWidget()) {
            if (auto *dialog = qobject_cast<QDialog *>(box))
                dialog->reject();
            else
                box->close();
        }
        QTimer::singleShot(50, [tries] { endOrderly(tries + 1); });
        return;
    }
    if (Form_Velmora *main = Form_Velmora::existing())
        main->Menu_Ende_Click();
    else
        QCoreApplication::quit();
}
} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION_STRING));
    QApplication::setWindowIcon(velmoraIcon());
    // The desktop entry the windows belong to (its icon and name in the task bar on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    setCommand(arguments.join(QLatin1Char(' ')));

    installErrBoxWindow();
    installDialogWindows();
    // Ctrl-C, a closed terminal or the end of the session: the End menu item's shutdown.
    endOnSignals([] { endOrderly(); });
    QTimer::singleShot(0, [] { runStartProcedure(true); });
    const int result = QApplication::exec();

    // Windows closed on the way out are deleted before the application object goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    destroyAllForms();
    Form_Com::destroyNow();
#ifdef VELMORA_HAVE_DBUS
    stopAddInService();
    unexportRunningProgram();
#endif
    gAddIns.reset();
    return result;
}
