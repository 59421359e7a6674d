// Start procedure, load sequence, shutdown with the add-in veto, the about and information
// windows, and the Setup menu.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "app/CommandLine.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "app/StartProcedure.h"
#include "link/Form_Com.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"
#include "ui/Form_Informationen.h"
#include "ui/Form_Intro.h"
#include <QGroupBox>
#include <QPushButton>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void startProcedureShowsTheMainWindow();
    void startProcedureLeavesTheWindowToARegisteringAddIn();
    void helpOptionShowsSummaryAndEnds_data();
    void helpOptionShowsSummaryAndEnds();
    void powerOptionAloneChangesNothing();
    void portOptionOutOfRangeIsReported();
    void endClosesEveryWindowAndThePort();
    void addInVetoKeepsEverythingOpen();
    void aboutWindowShowsVersionAndClosesOnPicture();
    void informationWindowTexts();
    void setupMenuPortAndReportTime();
    void debugViewShowsAndHidesTheTerminal();

private:
    std::unique_ptr<TestEnvironment> env;
    int ended = 0;
};

void TestMainWindow::init() {
    env = std::make_unique<TestEnvironment>();
    ended = 0;
    setProgramEnder([this] { ++ended; });
}

void TestMainWindow::cleanup() {
    env.reset();
}

void TestMainWindow::startProcedureShowsTheMainWindow() {
    QElapsedTimer clock;
    clock.start();
    runStartProcedure();
    QVERIFY(clock.elapsed() >= 990); // the second granted to registering add-ins
    QVERIFY(gAddIns);
    Form_Velmora *main = Form_Velmora::existing();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QVERIFY(main->isLoadDone());
    QCOMPARE(stBuildDate, QStringLiteral("14.09.2006"));
    QCOMPARE(main->Line1->text(), QStringLiteral("Velmora"));
    QVERIFY(main->Line2->text().endsWith(QLatin1Char(' ') + stAppVersion));
    QVERIFY(!main->Menu_Reset->isEnabled());
    QVERIFY(main->Menu_Setup_Port(1)->isChecked());
    QVERIFY(main->Menu_Setup_ReportTime(0)->isChecked());
}

void TestMainWindow::startProcedureLeavesTheWindowToARegisteringAddIn() {
    clsAddIn addIn(QStringLiteral("ID-1"));
    QTimer::singleShot(200, [&] { addIn.AddInRegister(); });
    runStartProcedure();
    QCOMPARE(gAddIns->Count(), 1L);
    // Loaded for the add-in, which shows it when it wants to.
    QVERIFY(Form_Velmora::existing() && Form_Velmora::existing()->isLoadDone());
    QVERIFY(!Form_Velmora::existing()->isVisible());
    addIn.Show();
    QVERIFY(Form_Velmora::existing()->isVisible());
    addIn.AddInUnRegister();
}

void TestMainWindow::helpOptionShowsSummaryAndEnds_data() {
    QTest::addColumn<QString>("line");
    QTest::addRow("/h") << "/h";
    QTest::addRow("--h") << "--h";
    QTest::addRow("help before connecting") << "-C1 -P /?";
}

void TestMainWindow::helpOptionShowsSummaryAndEnds() {
    QFETCH(QString, line);
    PtyPair port;
    port.assignToPort(1);
    setCommand(line);
    Form_Velmora::instance().Load();
    QCOMPARE(ended, 1);
    QCOMPARE(env->dialogs->shown.size(), 1);
    const auto &box = env->dialogs->last();
    QCOMPARE(box.prompt, QStringLiteral("Options:: -Cx = Connect to Com x ; -M = Mini ; -TL = Mini "
                                        "Position TopLeft ; -TR = Mini Position TopRight ; -BL = "
                                        "Mini Position BottomLeft ; -P Power On by Connect"));
    QCOMPARE(box.buttons(), int(MsgBoxStyle::OKOnly));
    QCOMPARE(port.read(200), QByteArray()); // nothing after the summary
}

void TestMainWindow::powerOptionAloneChangesNothing() {
    PtyPair port;
    port.assignToPort(1);
    setCommand(QStringLiteral("-p"));
    Form_Velmora &main = Form_Velmora::instance();
    main.Load();
    QVERIFY(!Form_Com::instance().Com->PortOpen());
    QCOMPARE(main.Line1->text(), QStringLiteral("Velmora"));
    QCOMPARE(port.read(200), QByteArray());
    QVERIFY(env->dialogs->shown.isEmpty());
    QVERIFY(env->errors.calls.isEmpty());
    QCOMPARE(ended, 0);
}

void TestMainWindow::portOptionOutOfRangeIsReported() {
    setCommand(QStringLiteral("-C-5"));
    PtyPair port;
    port.assignToPort(1);
    Form_Velmora::instance().Load();
    // The port number is refused; the load goes on and connects on the port it had.
    QVERIFY(
        env->errors.contains(QStringLiteral("Form_Velmora"), QStringLiteral("Form_Load"), 8002));
    QCOMPARE(Form_Com::instance().Com->CommPort(), 1L);
    QVERIFY(port.read(1500).startsWith(QByteArray("\x11"
                                                  "000\x03")));
}

void TestMainWindow::endClosesEveryWindowAndThePort() {
    PtyPair port;
    port.assignToPort(1);
    Form_Velmora &main = Form_Velmora::instance();
    main.Load();
    main.show();
    main.Menu_Setup_Debug_Click();
    Form_Com &com = Form_Com::instance();
    com.Com->setPortOpen(true);
    Form_Intro::instance().show();
    clsAddIn addIn(QStringLiteral("A"));
    int terminated = 0;
    connect(&addIn, &clsAddIn::Terminate, [&] { ++terminated; });
    gAddIns->Add(&addIn);

    main.Menu_Ende_Click();
    QCOMPARE(terminated, 1);
    QVERIFY(!gAddIns);
    QVERIFY(!gAddInLoaders);
    QVERIFY(bProgramEnding);
    QCOMPARE(Form_Velmora::existing(), nullptr);
    QCOMPARE(Form_Com::existing(), nullptr);
    QCOMPARE(Form_Intro::existing(), nullptr);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestMainWindow::addInVetoKeepsEverythingOpen() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Load();
    main.show();
    main.Menu_Setup_Debug_Click();
    clsAddIn first(QStringLiteral("1")), refusing(QStringLiteral("2")), last(QStringLiteral("3"));
    QStringList asked;
    int terminated = 0;
    for (clsAddIn *a : {&first, &refusing, &last}) {
        connect(a, &clsAddIn::Unload, [&asked, a, &refusing](int *Cancel) {
            asked << a->AddInID();
            if (a == &refusing) *Cancel = 1;
        });
        connect(a, &clsAddIn::Terminate, [&] { ++terminated; });
        gAddIns->Add(a);
    }

    QVERIFY(!main.close());
    QCOMPARE(asked, (QStringList{"3", "2", "1"})); // every add-in is asked, last to first
    QCOMPARE(terminated, 0);
    QVERIFY(!bProgramEnding);
    QVERIFY(main.isVisible());
    QCOMPARE(gAddIns->Count(), 3L);
    Form_Com *terminal = Form_Com::existing();
    QVERIFY(terminal && terminal->isVisible());
    // The terminal still only hides when closed.
    QVERIFY(!terminal->close());
    QCOMPARE(Form_Com::existing(), terminal);
    for (const char *id : {"1", "2", "3"})
        gAddIns->Remove(QString::fromLatin1(id));
}

void TestMainWindow::aboutWindowShowsVersionAndClosesOnPicture() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Info_Click();
    Form_Intro *about = Form_Intro::existing();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->lblVersion->text(), QStringLiteral("Version: 1.45 - 14.09.2006"));
    QVERIFY(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::mouseClick(about->Image1, Qt::LeftButton);
    QCOMPARE(Form_Intro::existing(), nullptr);
    // Opened again, it is a fresh window.
    main.Menu_Info_Click();
    QVERIFY(Form_Intro::existing());
}

void TestMainWindow::informationWindowTexts() {
    Form_Velmora::instance().Menu_Fragezeichen_Informationen_Click();
    Form_Informationen *info = Form_Informationen::existing();
    QVERIFY(info && info->isVisible());
    QCOMPARE(info->windowTitle(), QStringLiteral("Information for Velmora"));
    QCOMPARE(info->Frame_Info->title(), QStringLiteral("Command options:"));
    QCOMPARE(info->Frame_Keys->title(), QStringLiteral("Keys:"));
    const auto shown = [](QPlainTextEdit *box) {
        return box->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    };
    QCOMPARE(shown(info->Text_Info),
             QStringLiteral("-Cx = Connect amplifier at Com X\r\n-M  = Starts in mini mode\r\n"
                            "-TL = mini window position \"Top Left\"\r\n"
                            "-TR = mini window position \"Top Right\"\r\n"
                            "-BL = mini window position \"Bottom Left\"\r\n"
                            "-BR = mini window position \"Bottom Right\" Default\r\n"
                            "-P  = Power On\r\n-?  = Help\r\n"));
    QCOMPARE(shown(info->Text2),
             QStringLiteral("F4  - Volume A\r\nF5  - Volume B\r\nF6  - Volume C\r\nF7  - Volume "
                            "D\r\nF8  - Volume E\r\nF9  - Volume F\r\nF12 - Mute\r\n"));
    QCOMPARE(shown(info->Text1),
             QStringLiteral("Important:\r\nTo prevent possible amplifier damage, unplug the\r\n"
                            "mains supply before connecting the RS 232 cable!\r\n"));
    QCOMPARE(Form_Informationen::InfoText, shown(info->Text_Info));
    QTest::mouseClick(info->cmdOk, Qt::LeftButton);
    QCOMPARE(Form_Informationen::existing(), nullptr);
}

void TestMainWindow::setupMenuPortAndReportTime() {
    PtyPair one, three;
    one.assignToPort(1);
    three.assignToPort(3);
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Setup_Port(3)->trigger();
    QVERIFY(main.Menu_Setup_Port(3)->isChecked());
    for (int i : {1, 2, 4, 5})
        QVERIFY(!main.Menu_Setup_Port(i)->isChecked());
    QCOMPARE(Form_Com::instance().Com->CommPort(), 3L);

    Form_Com::instance().Com->setPortOpen(true);
    main.Menu_Setup_ReportTime(5)->trigger();
    QVERIFY(main.Menu_Setup_ReportTime(5)->isChecked());
    QVERIFY(!main.Menu_Setup_ReportTime(0)->isChecked());
    QCOMPARE(three.read(), QByteArray("\x02"
                                      "20105\x03"));
    // Picking the checked item again keeps it checked and sends again.
    main.Menu_Setup_ReportTime(5)->trigger();
    QVERIFY(main.Menu_Setup_ReportTime(5)->isChecked());
    QCOMPARE(three.read(), QByteArray("\x02"
                                      "20105\x03"));
    QCOMPARE(one.read(100), QByteArray());
}

void TestMainWindow::debugViewShowsAndHidesTheTerminal() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Setup_Debug->trigger();
    QVERIFY(main.Menu_Setup_Debug->isChecked());
    QVERIFY(Form_Com::instance().isVisible());
    QCOMPARE(Form_Com::instance().windowTitle(), QStringLiteral("DEBUG  - COM - TERMINAL"));
    main.Menu_Setup_Debug->trigger();
    QVERIFY(!main.Menu_Setup_Debug->isChecked());
    QVERIFY(!Form_Com::instance().isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
