// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: construction, load sequence with the command line, and shutdown.
#include "ui/mainwindow/Form_Velmora.h"

#include "addins/AddInLoaderList.h"
#include "addins/clsAddIns.h"
#include "base/CommandLine.h"
#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "base/ProgramEnd.h"
#include "base/ProgramFolder.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "link/Waits.h"
#include "ui/Form_Informationen.h"
#include "ui/Form_Intro.h"
#include "ui/WindowProcs.h"
#include "ui/mini/Form_Mini.h"
#include "winamp/Modul_Winamp.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

} // namespace

Form_Velmora::Form_Velmora() {
    setObjectName(QStringLiteral("Form_Velmora"));
    setWindowTitle(QStringLiteral("Velmora"));
    m_runTime.start();
    buildMenus();
    buildDisplay();

    Timer_Check = new QTimer(this);
    Timer_Check->setInterval(100);
    connect(Timer_Check, &QTimer::timeout, this, [this] { Timer_Check_Timer(); });
    Timer_RePressKey = new QTimer(this);
    Timer_RePressKey->setInterval(10);
    connect(Timer_RePressKey, &QTimer::timeout, this, [this] { Timer_RePressKey_Timer(); });
    Timer_CheckTastenRepeat = new QTimer(this);
    Timer_CheckTastenRepeat->setInterval(800);
    connect(Timer_CheckTastenRepeat, &QTimer::timeout, this,
            [this] { Timer_CheckTastenRepeat_Timer(); });
    // The title display runs from the start, connected or not.
    Timer_WinampView = new QTimer(this);
    Timer_WinampView->setInterval(2000);
    connect(Timer_WinampView, &QTimer::timeout, this, [this] { Timer_WinampView_Timer(); });
    Timer_WinampView->start();
    // The media-key poll runs from the load to the unload.
    Timer_CheckKeys = new QTimer(this);
    Timer_CheckKeys->setInterval(10);
    connect(Timer_CheckKeys, &QTimer::timeout, this, [this] { Timer_CheckKeys_Timer(); });
    prepareMediaKeys();
    m_deviceWatch.setInterval(1000);
    connect(&m_deviceWatch, &QTimer::timeout, this, [this] { watchLostDevice(); });
    // The schedule runs only while "Activated" is checked.
    Timer_ZS = new QTimer(this);
    Timer_ZS->setInterval(500);
    connect(Timer_ZS, &QTimer::timeout, this, [this] { Timer_ZS_Timer(); });

    connectPanel();
    connectLink();
}

Form_Velmora::~Form_Velmora() = default;

void Form_Velmora::onClick(QAction *item, std::function<void()> handler) {
    connect(item, &QAction::triggered, this, [item, handler = std::move(handler)] {
        // A click does not move the check mark by itself; the handlers set it.
        if (item->isCheckable()) {
            const QSignalBlocker blocker(item);
            item->setChecked(!item->isChecked());
        }
        handler();
    });
}

void Form_Velmora::onClick(QAction *item, void (Form_Velmora::*handler)()) {
    onClick(item, [this, handler] { (this->*handler)(); });
}

void Form_Velmora::onClick(QAction *item, void (Form_Velmora::*handler)(int), int index) {
    onClick(item, [this, handler, index] { (this->*handler)(index); });
}

void Form_Velmora::Load() {
    if (m_loaded) return;
    m_loaded = true;
    Form_Load();
}

void Form_Velmora::Show() {
    // The window is shown before its load sequence so that a connection made from the
    // command line can be followed on the status lines.
    show();
    Load();
}

void Form_Velmora::Form_Load() {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    on.step([] {
        bProgramEnding = false;
        bMiniMode = false;
    });
    on.step([&] { startKeyPoll(); });
    on.step([&] { lblWinAmp->setText(GetWinampTitle()); });
    on.step([&] {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        m_workArea = s ? s->availableGeometry() : QRect();
    });
    on.step([] {
        if (!gAddIns) gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
        gAddInLoaders = std::make_unique<AddInLoaderList>();
    });
    on.step([&] { SetKlappe(2); });
    on.step([&] { LoadAddIns(); });
    on.step([&] { Line2->setText(Line2->text() + QLatin1Char(' ') + stAppVersion); });
    on.step([&] { placeMini(MiniCorner::BottomRight); });
    // The stored settings go into the menus before the command line is read, so that a port
    // given there wins for this run without being stored.
    on.step([&] { LoadConfig(); });
    on.step([&] {
        const QString line = Command();
        if (!line.isEmpty()) evaluateCommandLine(::evaluateCommandLine(line));
    });
}

void Form_Velmora::evaluateCommandLine(const CommandLineOptions &options) {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    if (options.help) {
        on.step([] { Dialogs::MsgBox(QString::fromLatin1(CommandLineHelpText)); });
        EndProgram();
        return;
    }
    if (options.connect) {
        on.step([&] { usePort(options.port); });
        on.step([&] { ConnectToYamaha(options.powerOn); });
    }
    // The later corner option wins.
    if (options.topLeft) on.step([&] { placeMini(MiniCorner::TopLeft); });
    if (options.topRight) on.step([&] { placeMini(MiniCorner::TopRight); });
    if (options.bottomLeft) on.step([&] { placeMini(MiniCorner::BottomLeft); });
    if (options.mini) {
        on.step([&] {
            if (!Form_Com::instance().Com->PortOpen()) ConnectToYamaha(0);
        });
        // A failed connection leaves the main window in front.
        on.step([&] {
            if (Form_Com::instance().Com->PortOpen()) switchToMini();
        });
    }
}

void Form_Velmora::takeOverCommandLine(CommandLineOptions options) {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    on.step([&] { Load(); });
    // An open connection is kept: the port and -P are not used.
    on.step([&] {
        if (Form_Com::instance().Com->PortOpen()) options.connect = false;
    });
    options.help = false;
    on.step(
        [&] { bringToFront(bMiniMode ? static_cast<QWidget *>(&Form_Mini::instance()) : this); });
    evaluateCommandLine(options);
}

void Form_Velmora::Form_Unload(int &Cancel) {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    on.step([] { bProgramEnding = true; });
    bool vetoed = false;
    on.step([&] {
        if (!gAddIns) return;
        if (gAddIns->Count() > 0) {
            // Events run while add-ins in other programs answer; a second close meanwhile
            // must neither start a second round nor end the program under this one.
            if (QWindow *window = windowHandle()) window->installEventFilter(this);
            const QScopedValueRollback deciding(m_decidingEnd, true);
            int refused = 0;
            gAddIns->SendUnload(refused);
            if (refused != 0) {
                vetoed = true;
                return;
            }
        }
        gAddIns->SendTerminate();
        gAddIns.reset();
    });
    Q_EMIT endDecided(!vetoed);
    if (vetoed) {
        bProgramEnding = false;
        Cancel = 1;
        return;
    }
    on.step([&] { stopKeyPoll(); });
    on.step([] {
        if (!gAddInLoaders) return;
        while (gAddInLoaders->Count() > 0)
            gAddInLoaders->RemoveLast();
        gAddInLoaders.reset();
    });
    // Saved only once every add-in has agreed to the end, and before the port is closed.
    on.step([&] { SaveConfig(); });
    on.step([] {
        if (Form_Com *com = Form_Com::existing(); com && com->Com->PortOpen())
            com->Com->setPortOpen(false);
    });
    on.step([] { gTimeControl.reset(); });
    on.step([this] { UnloadOtherForms(this); });
    on.step([] { Form_Com::destroyNow(); });
    // The program ends here, also when its main window was never shown (a program started for
    // an add-in that ended it before showing it), where no last window closes.
    on.step([] { QCoreApplication::quit(); });
}

void Form_Velmora::closeEvent(QCloseEvent *event) {
    closeUnlessCancelled(*this, event);
}

bool Form_Velmora::eventFilter(QObject *watched, QEvent *event) {
    // The window system's close while the add-ins are asked would destroy the window under the
    // close in progress; the round under way decides instead.
    if (m_decidingEnd && watched == windowHandle() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form_Velmora::Menu_Ende_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Ende_Click"));
    on.step([this] {
        if (!m_decidingEnd) Form_Velmora::unload();
    });
}

void Form_Velmora::Menu_Fragezeichen_Informationen_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Fragezeichen_Informationen_Click"));
    on.step([] {
        Form_Informationen &info = Form_Informationen::instance();
        info.show();
        info.raise();
    });
}

void Form_Velmora::Menu_Info_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Info_Click"));
    on.step([] {
        Form_Intro &about = Form_Intro::instance();
        about.show();
        about.raise();
    });
}

void Form_Velmora::Pause(float Zeit) {
    ErrorScope on(kModule, QStringLiteral("Pause"));
    on.step([&] { pauseWithoutEvents(Zeit); });
}
