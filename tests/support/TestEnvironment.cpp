// The common fixture of the window tests.
#include "support/TestEnvironment.h"

#include "addins/AddInLoaderList.h"
#include "addins/clsAddIns.h"
#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/ProgramFolder.h"
#include "app/StartProcedure.h"
#include "ui/WindowProcs.h"
#include "winamp/Modul_Winamp.h"

#include <QCoreApplication>

TestEnvironment::TestEnvironment() {
    resetProgram();
    setProgramFolder(m_dir.path());
    // A test never ends the test program.
    setProgramEnder([] {});
}

TestEnvironment::~TestEnvironment() {
    resetProgram();
    setProgramFolder(QString());
}

void TestEnvironment::resetProgram() {
    destroyAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gAddIns.reset();
    gAddInLoaders.reset();
    bProgramEnding = false;
    bMiniMode = false;
    stModelID.clear();
    hWndWinamp = 0;
    stAppVersion = QStringLiteral("1.45");
    stBuildDate = QStringLiteral("14.09.2006");
    setCommand(QString());
}
