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

QFont statusFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(13);
    font.setBold(true);
    return font;
}
} // namespace

Form_Velmora::Form_Velmora() {
    setObjectName(QStringLiteral("Form_Velmora"));
    setWindowTitle(QStringLiteral("Velmora"));
    buildMenus();
    buildDisplay();

    Timer_Check = new QTimer(this);
    Timer_Check->setInterval(100);
    connect(Timer_Check, &QTimer::timeout, this, [this] { Timer_Check_Timer(); });
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

    Menu_Extras = bar->addMenu(QStringLiteral("E&xtras"));
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

void Form_Velmora::buildDisplay() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);

    picControls = new QWidget(central);
    picControls->setObjectName(QStringLiteral("picControls"));
    picControls->setGeometry(0, 0, 460, 112);

    // The status display looks like the receiver's own fluorescent display.
    auto *display = new QFrame(picControls);
    display->setObjectName(QStringLiteral("display"));
    display->setGeometry(12, 12, 436, 70);

    Line1 = new QLabel(QStringLiteral("Velmora"), display);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(12, 8, 412, 26);
    Line2 = new QLabel(QStringLiteral("Version"), display);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setGeometry(12, 36, 412, 26);
    lblWinAmp = new QLabel(display);
    lblWinAmp->setObjectName(QStringLiteral("lblWinAmp"));
    lblWinAmp->setGeometry(Line1->x(), Line1->y(), Line1->width(),
                           Line2->y() + Line2->height() - Line1->y());
    lblWinAmp->setWordWrap(true);
    lblWinAmp->hide();
    for (QLabel *l : {Line1, Line2, lblWinAmp}) {
        l->setFont(statusFont());
        l->setTextFormat(Qt::PlainText);
    }

    lblQuenby = new QLabel(QStringLiteral("www.velmora.org"), picControls);
    lblQuenby->setObjectName(QStringLiteral("lblQuenby"));
    lblQuenby->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblQuenby->setGeometry(12, 88, 436, 18);

    setStyleSheet(QStringLiteral(
        "#central { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a3f46, "
        "stop:1 #202428); }"
        "#display { background: #06110e; border: 2px solid #11161b; border-radius: 6px; }"
        "#Line1, #Line2 { color: #58f0d2; background: transparent; }"
        "#lblWinAmp { color: #ffd166; background: #06110e; }"
        "#lblQuenby { color: #9aa3ad; font-size: 10px; }"));

    setFixedWidth(460);
    resize(460, 112 + menuBar()->sizeHint().height());
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
    // The player's current title joins the Winamp label here once the player remote exists.
    on.step([&] {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        m_workArea = s ? s->availableGeometry() : QRect();
    });
    on.step([] {
        if (!gAddIns) gAddIns = std::make_unique<clsAddIns>();
        gAddInLoaders = std::make_unique<AddInLoaderList>();
    });
    // The flap is closed and the add-in folder loaded here once those parts exist.
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
