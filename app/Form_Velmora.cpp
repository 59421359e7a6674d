// The main window: construction, load sequence with the command line, and shutdown.
#include "app/Form_Velmora.h"

#include "addins/AddInLoaderList.h"
#include "addins/clsAddIns.h"
#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/ProgramFolder.h"
#include "app/StartProcedure.h"
#include "errors/ErrorHandling.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "link/Waits.h"
#include "ui/Dialogs.h"
#include "ui/Form_Informationen.h"
#include "ui/Form_Intro.h"
#include "ui/WindowProcs.h"
#include "winamp/Modul_Winamp.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

} // namespace

Form_Velmora::Form_Velmora() {
    setObjectName(QStringLiteral("Form_Velmora"));
    setWindowTitle(QStringLiteral("Velmora"));
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

    connectPanel();
}

Form_Velmora::~Form_Velmora() = default;

void Form_Velmora::buildMenus() {
    QMenuBar *bar = menuBar();

    Menu_Connect = bar->addAction(QStringLiteral("&Connect"));

    Menu_Setup = bar->addMenu(QStringLiteral("&Setup"));
    Menu_Setup->setToolTipsVisible(true);
    for (int i = Menu_Setup_Port.lowest(); i <= Menu_Setup_Port.highest(); ++i) {
        QAction *port = Menu_Setup->addAction(QStringLiteral("Com %1").arg(i));
        port->setCheckable(true);
        Menu_Setup_Port.set(i, port);
        onClick(port, &Form_Velmora::Menu_Setup_Port_Click, i);
    }
    // The device behind each number is shown when the menu opens; it can change between runs.
    connect(Menu_Setup, &QMenu::aboutToShow, this, [this] {
        for (int i = Menu_Setup_Port.lowest(); i <= Menu_Setup_Port.highest(); ++i)
            Menu_Setup_Port(i)->setToolTip(portDeviceName(i));
    });
    Menu_Setup_Port(1)->setChecked(true);
    Menu_Setup->addSeparator();
    static const char *const reportTimes[] = {"Real Time", "50 ms",  "100 ms", "150 ms",
                                              "200 ms",    "250 ms", "300 ms", "350 ms"};
    for (int i = Menu_Setup_ReportTime.lowest(); i <= Menu_Setup_ReportTime.highest(); ++i) {
        QAction *item = Menu_Setup->addAction(QString::fromLatin1(reportTimes[i]));
        item->setCheckable(true);
        Menu_Setup_ReportTime.set(i, item);
        onClick(item, &Form_Velmora::Menu_Setup_ReportTime_Click, i);
    }
    Menu_Setup_ReportTime(0)->setChecked(true);
    Menu_Setup->addSeparator();
    Menu_Setup_Debug = Menu_Setup->addAction(QStringLiteral("Debug View"));
    Menu_Setup_Debug->setCheckable(true);
    Menu_Setup_Log = Menu_Setup->addAction(QStringLiteral("Create Logfile"));
    Menu_Setup_Log->setCheckable(true);

    Menu_Reset = bar->addAction(QStringLiteral("&Reset"));

    Menu_Mode = bar->addMenu(QStringLiteral("&Mode"));
    Menu_Mode_Zone2 = Menu_Mode->addAction(QStringLiteral("Zone2"));
    Menu_Mode_Zone2->setCheckable(true);
    Menu_Mode_Main = Menu_Mode->addAction(QStringLiteral("Main/Master"));
    Menu_Mode_Main->setCheckable(true);
    Menu_Mode_Main->setChecked(true);
    onClick(Menu_Mode_Zone2, &Form_Velmora::Menu_Mode_Zone2_Click);
    onClick(Menu_Mode_Main, &Form_Velmora::Menu_Mode_Main_Click);

    Menu_Volume = bar->addMenu(QStringLiteral("&Volume"));
    Menu_Volume_Mute = Menu_Volume->addAction(QStringLiteral("Mute"));
    Menu_Volume_Mute->setCheckable(true);
    Menu_Volume_Mute->setShortcut(Qt::Key_F12);
    Menu_Volume_MuteZone2 = Menu_Volume->addAction(QStringLiteral("Mute Zone2"));
    Menu_Volume_MuteZone2->setCheckable(true);
    onClick(Menu_Volume_Mute, &Form_Velmora::Menu_Volume_Mute_Click);
    onClick(Menu_Volume_MuteZone2, &Form_Velmora::Menu_Volume_MuteZone2_Click);
    Menu_Volume->addSeparator();
    QMenu *save = Menu_Volume->addMenu(QStringLiteral("Save"));
    Menu_Volume->addSeparator();
    QMenu *load = Menu_Volume->addMenu(QStringLiteral("Load"));
    for (int i = 1; i <= 6; ++i) {
        const QChar bank(64 + i);
        QAction *saveItem = save->addAction(QString(bank));
        Menu_Volume_Save.set(i, saveItem);
        onClick(saveItem, &Form_Velmora::Menu_Volume_Save_Click, i);
        QAction *loadItem = load->addAction(QString(bank) + QStringLiteral("   "));
        loadItem->setShortcut(QKeySequence(Qt::Key_F4 + (i - 1)));
        Menu_Volume_Load.set(i, loadItem);
        onClick(loadItem, &Form_Velmora::Menu_Volume_Load_Click, i);
    }

    Menu_Extras = bar->addMenu(QStringLiteral("E&xtras"));
    static const char *const keyModes[] = {"6.1/ES Key -Window max/minimize",
                                           "6.1/ES Key - Winamp Next/Previous Track",
                                           "6.1/ES Key - Shell Command"};
    for (int i = 1; i <= 3; ++i) {
        QAction *item = Menu_Extras->addAction(QString::fromLatin1(keyModes[i - 1]));
        item->setCheckable(true);
        Menu_Extras_61_ES.set(i, item);
        onClick(item, &Form_Velmora::Menu_Extras_61_ES_Click, i);
    }
    Menu_Extras->addSeparator();
    Menu_Extras_YInfo = Menu_Extras->addAction(QStringLiteral("Yamaha information"));

    Menu_Ende = bar->addAction(QStringLiteral("&End"));

    Menu_Fragezeichen = bar->addMenu(QStringLiteral("&?"));
    Menu_Fragezeichen_Informationen = Menu_Fragezeichen->addAction(QStringLiteral("Informationen"));
    Menu_Fragezeichen_Informationen->setShortcut(Qt::Key_F1);
    Menu_Info = Menu_Fragezeichen->addAction(QStringLiteral("About Velmora..."));

    onClick(Menu_Connect, &Form_Velmora::Menu_Connect_Click);
    onClick(Menu_Setup_Debug, &Form_Velmora::Menu_Setup_Debug_Click);
    onClick(Menu_Setup_Log, &Form_Velmora::Menu_Setup_Log_Click);
    onClick(Menu_Reset, &Form_Velmora::Menu_Reset_Click);
    onClick(Menu_Extras_YInfo, &Form_Velmora::Menu_Extras_YInfo_Click);
    onClick(Menu_Ende, &Form_Velmora::Menu_Ende_Click);
    onClick(Menu_Fragezeichen_Informationen, &Form_Velmora::Menu_Fragezeichen_Informationen_Click);
    onClick(Menu_Info, &Form_Velmora::Menu_Info_Click);

    // The items that need a receiver are off until one is connected.
    SetMenu(0);
}

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
    on.step([&] { lblWinAmp->setText(GetWinampTitle()); });
    on.step([&] {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        m_workArea = s ? s->availableGeometry() : QRect();
    });
    on.step([] {
        if (!gAddIns) gAddIns = std::make_unique<clsAddIns>();
        gAddInLoaders = std::make_unique<AddInLoaderList>();
    });
    on.step([&] { SetKlappe(2); });
    // The add-in folder is loaded here once add-ins can be loaded.
    on.step([&] { Line2->setText(Line2->text() + QLatin1Char(' ') + stAppVersion); });
    // The mini window takes its default place (bottom right of the work area) here, and the
    // stored settings are restored into the menus, before the command line is read.
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
        on.step([&] { Form_Com::instance().Com->setCommPort(options.port); });
        on.step([&] { ConnectToYamaha(options.powerOn); });
    }
    // The mini window's corner (-TL, -TR, -BL) and the start in the mini window (-M) are
    // applied here with the mini window.
}

void Form_Velmora::Form_Unload(int &Cancel) {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    on.step([] { bProgramEnding = true; });
    bool vetoed = false;
    on.step([&] {
        if (!gAddIns) return;
        if (gAddIns->Count() > 0) {
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
    if (vetoed) {
        bProgramEnding = false;
        Cancel = 1;
        return;
    }
    on.step([] {
        if (!gAddInLoaders) return;
        while (gAddInLoaders->Count() > 0)
            gAddInLoaders->RemoveLast();
        gAddInLoaders.reset();
    });
    // The settings are saved here, before the port is closed.
    on.step([] {
        if (Form_Com *com = Form_Com::existing(); com && com->Com->PortOpen())
            com->Com->setPortOpen(false);
    });
    // The active schedule is released here.
    on.step([this] { UnloadOtherForms(this); });
}

void Form_Velmora::closeEvent(QCloseEvent *event) {
    int Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel)
        event->ignore();
    else
        event->accept();
}

void Form_Velmora::Menu_Ende_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Ende_Click"));
    on.step([] { Form_Velmora::unload(); });
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
