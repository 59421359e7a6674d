// SPDX-License-Identifier: GPL-3.0-or-later
// The common fixture of the window tests.
#include "support/TestEnvironment.h"

#include "addins/AddInLoaderList.h"
#ifdef VELMORA_HAVE_DBUS
#include "addins/AddInService.h"
#include "addins/RunningProgram.h"
#endif
#include "addins/clsAddIns.h"
#include "base/CommandLine.h"
#include "base/Globals.h"
#include "base/ProgramEnd.h"
#include "base/ProgramFolder.h"
#include "link/Form_Com.h"
#include "timecontrol/Clock.h"
#include "ui/WindowProcs.h"
#include "winamp/Modul_Winamp.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

TestEnvironment::TestEnvironment() {
    resetProgram();
    setProgramFolder(m_dir.path());
    // Never the real user's settings, nor those a previous test saved.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder());
    setProgramEnder([] {}); // a test never ends the test program
}

TestEnvironment::~TestEnvironment() {
    resetProgram();
    setProgramFolder(QString());
}

QString TestEnvironment::settingsFolder() const {
    return m_dir.filePath(QStringLiteral("config"));
}

QString TestEnvironment::settingsFile() const {
    return settingsFolder() + QStringLiteral("/Velmora/Velmora.conf");
}

QByteArray TestEnvironment::readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestEnvironment::writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void TestEnvironment::resetProgram() {
    destroyAllForms();
    Form_Com::destroyNow();
#ifdef VELMORA_HAVE_DBUS
    stopAddInService();
    unexportRunningProgram();
#endif
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gAddIns.reset();
    gAddInLoaders.reset();
    gTimeControl.reset();
    setClockSource({});
    bProgramEnding = false;
    bMiniMode = false;
    stModelID.clear();
    hWndWinamp = 0;
    stAppVersion = QStringLiteral("1.45");
    stBuildDate = QStringLiteral("14.09.2006");
    setCommand(QString());
}
