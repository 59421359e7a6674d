// SPDX-License-Identifier: GPL-3.0-or-later
// Start procedure, load, shutdown with the add-in veto (and the about window) and the Setup menu.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "app/StartProcedure.h"
#include "base/CommandLine.h"
#include "base/ProgramEnd.h"
#include "link/Form_Com.h"
#include "support/PtyPair.h"
#include "support/WindowSuite.h"
#include "support/WireBytes.h"
#include "ui/Form_Intro.h"

#include <QElapsedTimer>
#include <QFile>

class TestMainWindow : public WindowSuite {
    Q_OBJECT
    int ended = 0;

private Q_SLOTS:
    void init() {
        WindowSuite::init();
        ended = 0;
        setProgramEnder([this] { ++ended; });
    }

    // Add-ins get a second to register; then the window is loaded, and shown only if none did.
    void startProcedure_data() {
        columns<bool>("addInRegisters");
        row("alone: the window shows", false);
        row("an add-in registers", true);
    }
    void startProcedure() {
        QFETCH(bool, addInRegisters);
        clsAddIn addIn("ID-1");
        if (addInRegisters) QTimer::singleShot(200, [&] { addIn.AddInRegister(); });
        QElapsedTimer clock;
        clock.start();
        runStartProcedure();
        QVERIFY(clock.elapsed() >= 990);
        QCOMPARE(gAddIns->Count(), addInRegisters ? 1L : 0L);
        Form_Velmora *main = Form_Velmora::existing();
        QVERIFY(main && main->isLoadDone());
        QCOMPARE(main->isVisible(), !addInRegisters);
        QCOMPARE(main->Line1->text(), "Velmora");
        QVERIFY(!main->Menu_Reset->isEnabled());
        addIn.Show();
        QVERIFY(main->isVisible());
    }

    void commandLineAtLoad_data() {
        // error: the number reported under Form_Load, 0 for none
        columns<QString, long, bool>("line", "error", "connects");
        row("help before connecting: the summary, and the end", "-C1 -P /?", 0L, false);
        // The port number is refused; the load goes on and connects on the port it had.
        row("port out of range", "-C-5", 8002L, true);
    }
    void commandLineAtLoad() {
        FETCH((QString, long, bool), line, error, connects);
        const bool help = line.contains('?');
        PtyPair port;
        port.assignToPort(1);
        setCommand(line);
        Form_Velmora::instance().Load();
        QCOMPARE(ended, help ? 1 : 0);
        QCOMPARE(env->dialogs->shown.size(), help ? 1 : 0);
        if (help) QVERIFY(env->dialogs->last().prompt.startsWith("Options:: -Cx = Connect"));
        QVERIFY2(env->errors.calls.size() == (error ? 1 : 0), qPrintable(env->errors.describe()));
        if (error) QVERIFY(env->errors.contains("Form_Velmora", "Form_Load", error));
        QCOMPARE(Form_Com::instance().Com->CommPort(), 1L);
        if (!connects) QVERIFY(!Form_Com::instance().Com->PortOpen());
        const QByteArray sent = port.read(connects ? 1500 : 200);
        QVERIFY2(connects ? sent.startsWith(wire("<DC1>000<ETX>")) : sent.isEmpty(),
                 sent.toHex().data());
    }

    void endAsksTheAddInsThenClosesEverything() {
        PtyPair port;
        port.assignToPort(1);
        Form_Velmora &main = Form_Velmora::instance();
        main.Load();
        main.show();
        main.Menu_Setup_Debug_Click();
        Form_Com::instance().Com->setPortOpen(true);
        main.Menu_Info_Click(); // the about window
        QCOMPARE(Form_Intro::instance().lblVersion->text(), "Version: 1.45 - 14.09.2006");
        clsAddIn first("1"), refusing("2"), last("3");
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

        // One add-in refuses: every add-in is asked, last to first, and everything stays.
        QVERIFY(!main.close());
        QCOMPARE(asked, (QStringList{"3", "2", "1"}));
        QCOMPARE(terminated, 0);
        QVERIFY(!bProgramEnding && main.isVisible());
        QCOMPARE(gAddIns->Count(), 3L);
        QVERIFY(Form_Com::instance().Com->PortOpen());
        QVERIFY(!QFile::exists(env->settingsFile()));

        gAddIns->Remove("2");
        main.Menu_Ende_Click();
        QCOMPARE(terminated, 2);
        QVERIFY(!gAddIns && !gAddInLoaders && bProgramEnding);
        QVERIFY(!Form_Velmora::existing() && !Form_Com::existing() && !Form_Intro::existing());
        QVERIFY(QFile::exists(env->settingsFile()));
        QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
    }

    void setupMenu() {
        PtyPair one, three;
        one.assignToPort(1);
        three.assignToPort(3);
        Form_Velmora &main = Form_Velmora::instance();
        main.Menu_Setup_Port(3)->trigger();
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(main.Menu_Setup_Port(i)->isChecked(), i == 3);
        QCOMPARE(Form_Com::instance().Com->CommPort(), 3L);

        Form_Com::instance().Com->setPortOpen(true);
        // Picking the checked item again keeps it checked and sends again.
        for (int round = 0; round < 2; ++round) {
            main.Menu_Setup_ReportTime(5)->trigger();
            QVERIFY(main.Menu_Setup_ReportTime(5)->isChecked());
            QVERIFY(!main.Menu_Setup_ReportTime(0)->isChecked());
            QCOMPARE(three.read(), wire("<STX>20105<ETX>"));
        }
        QCOMPARE(one.read(100), QByteArray());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
