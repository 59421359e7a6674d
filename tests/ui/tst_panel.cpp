// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the live picture of the receiver, against the receiver simulator on a real
// pseudo-terminal: flap and height, panel, reports and blocks without echo, volume, keyboard.
#include "support/WindowSuite.h"

#include <QApplication>

namespace {
// The level bar of status line 2 with n of its 20 blocks lit.
QString bar(int n) {
    return QString(n, QChar(0x2588)) + QString(20 - n, QLatin1Char('-'));
}

// The panel's option "frame title: caption", e.g. "DSP: Tokyo"; nullptr when there is none.
QRadioButton *option(const Form_Velmora &main, const QString &path) {
    for (const QGroupBox *frame : main.findChildren<QGroupBox *>())
        if (frame->title() == path.section(QStringLiteral(": "), 0, 0))
            for (QRadioButton *b : frame->findChildren<QRadioButton *>())
                if (b->text() == path.section(QStringLiteral(": "), 1)) return b;
    return nullptr;
}

QString visibleFrames(const Form_Velmora &main) {
    QStringList names;
    for (const QGroupBox *frame : main.picKlappe->findChildren<QGroupBox *>())
        if (frame->isVisible()) names << frame->objectName().mid(6); // without "Frame_"
    names.sort();
    return names.join(' ');
}
} // namespace

class TestPanel : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:

    void flapShowsTheFramesOfTheMode_data() {
        columns<bool, QString>("zone2", "window");
        row("main zone", false, "");
        row("zone 2", true, "");
        row("a maximized window", false, "maximized");
    }

    void flapShowsTheFramesOfTheMode() {
        FETCH((bool, QString), zone2, window);
        const QString mainFrames = "61ES 6ChInput DSP Input InputMode SpeakersA SpeakersB",
                      zone2Frames = "DSP Input Leer1 SpeakersA SpeakersB";
        Form_Velmora &main = shownMainWindow();
        // Shut, the window ends just below the web address; open, just below the panel.
        const int closed =
            main.picControls->y() + main.lblQuenby->y() + main.lblQuenby->height() + 60;
        const int open = main.picControls->y() + main.picControls->height() + 60;
        QCOMPARE(main.frameGeometry().height(), closed);
        if (zone2) main.Menu_Mode_Zone2_Click();
        if (window == "maximized") {
            main.showMaximized();
            QTRY_VERIFY(main.windowState() & Qt::WindowMaximized);
        }
        QCOMPARE(visibleFrames(main), "");
        const int before = main.frameGeometry().height();
        // A maximized window keeps its height on opening.
        main.Image_Klappe_Click();
        QCOMPARE(visibleFrames(main), zone2 ? zone2Frames : mainFrames);
        QCOMPARE(main.frameGeometry().height(), window.isEmpty() ? open : before);
        // The other mode, with the flap open: its frames, caption and check marks.
        zone2 ? main.Menu_Mode_Main_Click() : main.Menu_Mode_Zone2_Click();
        QCOMPARE(visibleFrames(main), zone2 ? mainFrames : zone2Frames);
        QCOMPARE(main.Frame_Input->title(), zone2 ? "Input" : "Rec Out");
        QCOMPARE(main.Line1->text(), zone2 ? "Mode Main/Master" : "Mode Zone 2");
        QVERIFY(main.Menu_Mode_Main->isChecked() == zone2 &&
                main.Menu_Mode_Zone2->isChecked() != zone2);
        // Closing applies the rule, except to a maximized window.
        main.Image_Klappe_Click();
        QCOMPARE(visibleFrames(main), "");
        QCOMPARE(main.frameGeometry().height(), window == "maximized" ? before : closed);
        if (!window.isEmpty()) return;
        // Controls centred in a wide window, at the left of a narrow one; the title on both lines.
        main.resize(main.picControls->width() + 200, main.height());
        QTRY_COMPARE(main.picControls->x(), 100);
        QCOMPARE(main.lblWinAmp->geometry(), main.Line1->geometry().united(main.Line2->geometry()));
        main.resize(300, main.height());
        QTRY_COMPARE(main.picControls->x(), 0);
    }

    void everyOptionSetsTheReceiverToItsCaption_data() {
        columns<bool>("zone2");
        row("main zone", false);
        row("zone 2", true);
    }

    // Every option clicked in turn brings the receiver into the state its caption names in the
    // simulator's own words, with one command a click and no echo of the receiver's reports.
    void everyOptionSetsTheReceiverToItsCaption() {
        QFETCH(bool, zone2);
        Form_Velmora &main = connected();
        main.SetKlappe(1);
        if (zone2) main.Menu_Mode_Zone2_Click();
        const Sim::ReceiverState &s = sim->model().state();
        int clicks = 0;
        const auto click = [&](QRadioButton *b) {
            QTest::mouseClick(b, Qt::LeftButton);
            ++clicks;
        };
        for (QRadioButton *b : main.Opt_Input) {
            click(b);
            QTRY_COMPARE(receiverInput(zone2), b->text());
            if (zone2) QCOMPARE(main.Line1->text(), "ZONE2 " + b->text());
        }
        if (!zone2) {
            for (QRadioButton *b : main.Opt_Dsp) {
                click(b);
                // Effect off keeps the program, which comes back with the effect.
                QTRY_COMPARE(s.dspEffect ? QString::fromLatin1(Sim::kDspPrograms[s.dspProgram].name)
                                         : QStringLiteral("Effect Off"),
                             b->text());
                // The receiver's report names the program on line 2.
                QTRY_COMPARE(main.Line2->text(), s.dspEffect ? b->text() : QString());
            }
            for (QRadioButton *b : main.Opt_InputMode) {
                click(b);
                QTRY_COMPARE(QString::fromLatin1(Sim::kInputModes[s.inputMode]), b->text());
            }
            const std::pair<const ControlArray<QRadioButton, 0, 1> *, bool Sim::ReceiverState::*>
                groups[] = {{&main.Opt_SpeakersA, &Sim::ReceiverState::speakersA},
                            {&main.Opt_SpeakersB, &Sim::ReceiverState::speakersB},
                            {&main.Opt_61ES, &Sim::ReceiverState::es61},
                            {&main.Opt_6ChInput, &Sim::ReceiverState::sixChannel}};
            // Both options of each, changing it twice; the locking six channels last, ending off.
            for (const auto &[options, field] : groups)
                for (const int i : {int(!(s.*field)), int(s.*field)}) {
                    click((*options)(i));
                    QTRY_COMPARE(QString::fromLatin1(s.*field ? "On" : "Off"),
                                 (*options)(i)->text());
                }
        }
        QCOMPARE(settledCommands().size(), clicks);
        VERIFY_NO_ERROR_BOX();
    }

    void receiverReportsMoveThePanelWithoutEcho_data() {
        // The window's zone mode, what happens at the receiver, the option selected then ("" for
        // none), the two lines ("kept": left alone) and the command the program answers with.
        columns<bool, QString, QString, QString, QString, QString>("zone2", "control", "selected",
                                                                   "line1", "line2", "answer");
        row("program Tokyo", false, "dsp 7", "DSP: Tokyo", "CHURCH", "Tokyo", "");
        row("speakers B on", false, "speakers b on", "Speakers B: On", "kept", "", "");
        row("6.1/ES on, by the remote", false, "remote 07EB8", "6.1/ES: On", "kept", "", "");
        row("input mode DTS", false, "panel 07EA8", "Input Mode: DTS", "INPUT DVD", "DTS", "");
        row("input CD", false, "input CD", "Input: CD", "INPUT CD", "", "");
        row("zone 2 input in zone-2 mode", true, "zone2 input PHONO", "Rec Out: PHONO",
            "ZONE2 PHONO", "", "");
        row("zone 2 input in main-zone mode", false, "zone2 input MD", "Input: DVD", "kept", "",
            "");
        row("power off", false, "power off", "", "POWER OFF", "", "");
        row("main volume", false, "volume down 2", "", "VOLUME -41.0dB", bar(12), "");
        row("zone 2 volume", false, "zone2 volume up", "", "ZONE2 VOL. -9dB", bar(18), "");
        row("RS-232C test, sent back", false, "test 1", "", "RS232 TEST", "", "2F001");
    }

    void receiverReportsMoveThePanelWithoutEcho() {
        FETCH((bool, QString, QString, QString, QString, QString), zone2, control, selected, line1,
              line2, answer);
        Form_Velmora &main = connected();
        main.SetKlappe(1);
        if (zone2) main.Menu_Mode_Zone2_Click();
        main.Line1->setText(QStringLiteral("kept"));
        main.Line2->clear();
        sim->control(control);
        QRadioButton *button = selected.isEmpty() ? nullptr : option(main, selected);
        QVERIFY2(button || selected.isEmpty(), qPrintable(selected));
        if (button) QTRY_VERIFY(button->isChecked());
        if (line1 != "kept") QTRY_COMPARE(main.Line1->text(), line1);
        QCOMPARE(settledBytes(),
                 answer.isEmpty() ? QByteArray() : '\x02' + answer.toLatin1() + '\x03');
        QCOMPARE(main.Line1->text() + '|' + main.Line2->text(), line1 + '|' + line2);
    }

    void stepButtonsSkipCDR() {
        Form_Velmora &main = connected();
        main.SetKlappe(1);
        // From ("": nothing selected), up or down, to, and whether on zone 2 (it stays so).
        const std::tuple<const char *, bool, const char *, bool> steps[] = {
            {"", true, "LD", false},      {"", false, "LD", false},
            {"PHONO", true, "LD", false}, {"LD", false, "PHONO", false},
            {"CD-R", true, "LD", false},  {"", true, "LD", true}};
        for (const auto &[from, up, to, zone2] : steps) {
            if (zone2) main.Menu_Mode_Zone2_Click();
            clearSelection(main.Opt_Input);
            if (*from) {
                main.bReceiverUpdate = 1; // selected as a report selects it, sending nothing
                option(main, QStringLiteral("Input: ") + from)->setChecked(true);
                main.bReceiverUpdate = 0;
            }
            sim->takeReceived();
            QTest::mouseClick(up ? main.Image_InputUP : main.Image_InputDown, Qt::LeftButton);
            QCOMPARE(selectedCaption(main.Opt_Input), to);
            QCOMPARE(settledCommands().size(), 1);
            QCOMPARE(receiverInput(zone2), to);
        }
    }

    void blockAndReportsShowTheReceiversState() {
        // What was set on the receiver before connecting comes with its configuration block.
        sim = std::make_unique<SimulatedReceiver>();
        for (const char *change : {"input TAPE", "panel 07EA8", "dsp Arena", "remote 07EB8",
                                   "speakers a off", "speakers b on", "headphones in"})
            sim->control(QLatin1String(change));
        Form_Velmora &main = sim->connectMainWindow();
        QCOMPARE(
            (QStringList{selectedCaption(main.Opt_Input), selectedCaption(main.Opt_InputMode),
                         selectedCaption(main.Opt_Dsp), selectedCaption(main.Opt_61ES),
                         selectedCaption(main.Opt_6ChInput), selectedCaption(main.Opt_SpeakersA),
                         selectedCaption(main.Opt_SpeakersB)}),
            (QStringList{"TAPE", "DTS", "Arena", "On", "Off", "Off", "On"}));
        QVERIFY(main.Opt_InputMode(5)->isEnabled());
        // Headphones lock the speaker buttons until they are out.
        QVERIFY(!main.Opt_SpeakersA(0)->isEnabled() && !main.Opt_SpeakersB(1)->isEnabled());
        sim->control(QStringLiteral("headphones out"));
        QTRY_VERIFY(main.Opt_SpeakersA(0)->isEnabled() && main.Opt_SpeakersB(1)->isEnabled());
        sim->control(QStringLiteral("headphones in"));
        QTRY_VERIFY(!main.Opt_SpeakersA(1)->isEnabled() && !main.Opt_SpeakersB(0)->isEnabled());

        // The six-channel input locks program, input mode and 6.1/ES; another input keeps it.
        sim->control(QStringLiteral("panel 07EA4"));
        QTRY_VERIFY(main.Opt_6ChInput(1)->isChecked());
        QCOMPARE(main.Line2->text(), "6CH INPUT");
        QVERIFY(!main.Opt_Dsp(5)->isEnabled() && !main.Opt_InputMode(1)->isEnabled() &&
                !main.Opt_61ES(0)->isEnabled());
        sim->control(QStringLiteral("input CD"));
        QTRY_COMPARE(selectedCaption(main.Opt_Input), "CD");
        QVERIFY(!main.Opt_Dsp(5)->isEnabled());
        QCOMPARE(settledBytes(), QByteArray());
        // In a block it leaves no input mode to choose; its end lifts the lock.
        main.ConnectToYamaha(0); // disconnects
        sim->connectMainWindow();
        QCOMPARE(selectedCaption(main.Opt_InputMode), "Auto");
        for (const QRadioButton *b : main.Opt_InputMode)
            QVERIFY(!b->isEnabled());
        sim->control(QStringLiteral("panel 07EA5"));
        QTRY_VERIFY(main.Opt_6ChInput(0)->isChecked());
        QVERIFY(main.Opt_Dsp(5)->isEnabled() && main.Opt_InputMode(3)->isEnabled() &&
                main.Opt_61ES(1)->isEnabled());
        VERIFY_NO_ERROR_BOX();
    }

    void standbyKeyWakesTheReceiverOfItsModel() {
        // A DSP-AX1 in standby: it has neither a CD-R input nor the eight-channel program.
        Form_Velmora &main = connected(QStringLiteral("R0073"), true);
        main.SetKlappe(1);
        QVERIFY(!main.Opt_Input(14)->isVisible() && !main.Opt_Dsp(31)->isVisible() &&
                !main.Menu_MiniPopUp_Input(14)->isVisible() && main.Opt_Dsp(30)->isVisible());
        // The standby key switches it on and shows its state.
        clearSelection(main.Opt_Input);
        QTest::mouseClick(main.Label_Standby, Qt::LeftButton);
        QTRY_VERIFY(sim->model().state().power);
        const QStringList sent = settledCommands();
        QVERIFY2(sent.contains("07A1D") && !sent.contains("07A1E"), qPrintable(sent.join(',')));
        QCOMPARE(selectedCaption(main.Opt_Input), "DVD");
        VERIFY_NO_ERROR_BOX();
    }

    void volumeKeysAndMemories() {
        Form_Velmora &main = connected();
        const Sim::ReceiverState &s = sim->model().state();
        const int start = s.mainVolume;
        main.Menu_Volume_Save(2)->trigger();
        QCOMPARE(main.Line1->text() + main.Line2->text(), "Save Volume B");
        // Held, a volume key steps once per answer until let go; the display shows the last.
        QTest::mousePress(main.Image_VolUP, Qt::LeftButton);
        QTRY_VERIFY(s.mainVolume >= start + 5);
        QTest::mouseRelease(main.Image_VolUP, Qt::LeftButton);
        const QStringList sent = settledCommands();
        const int reached = s.mainVolume;
        QCOMPARE(sent, QStringList{"07E6C"} + QStringList(reached - start, "07A1A"));
        QCOMPARE(main.Line1->text().mid(7).chopped(2).toDouble(), (reached - 199) / 2.0);
        // Memory B brings the saved level back.
        main.Menu_Volume_Load(2)->trigger();
        QCOMPARE(main.Line1->text() + main.Line2->text(), "Volume B");
        QTRY_COMPARE(s.mainVolume, start);
        QCOMPARE(settledCommands(), QStringList{"07E76"});

        // A right press mutes the zone of the mode; the check mark follows the receiver's report.
        for (const auto &[key, zone2] :
             {std::pair{main.Image_VolDOWN, false}, {main.Image_VolUP, true}}) {
            if (zone2) main.Menu_Mode_Zone2_Click();
            QTest::mouseClick(key, Qt::RightButton);
            QAction *mark = zone2 ? main.Menu_Volume_MuteZone2 : main.Menu_Volume_Mute;
            QTRY_VERIFY(mark->isChecked());
            QCOMPARE(main.Line1->text(), zone2 ? "ZONE2 MUTE ON" : "MUTE ON");
            main.Mute(0);
            QTRY_VERIFY(!mark->isChecked());
            QCOMPARE(settledCommands(),
                     zone2 ? (QStringList{"07EA0", "07EA1"}) : (QStringList{"07EA2", "07EA3"}));
        }
        // On zone 2 the other key steps down.
        const int zone2 = s.zone2Volume;
        QTest::mousePress(main.Image_VolDOWN, Qt::LeftButton);
        QTRY_VERIFY(s.zone2Volume <= zone2 - 2);
        QTest::mouseRelease(main.Image_VolDOWN, Qt::LeftButton);
        QVERIFY(settledCommands().contains("07ADB") &&
                main.Line1->text().startsWith("ZONE2 VOL. "));
        VERIFY_NO_ERROR_BOX();
    }

    void keyboardReachesAndPressesTheKeys_data() {
        // Tabs from the standby key (negative: Shift+Tab), the key reached, the key pressed there
        // and the command sent once, or stepped while held for a volume key.
        columns<int, QString, int, QString>("tabs", "key", "press", "code");
        row("Enter on standby", 0, "Label_Standby", int(Qt::Key_Return), "07A1E");
        row("Space held on volume up", 2, "Image_VolUP", int(Qt::Key_Space), "07A1A");
        row("Space on input down", 5, "Image_InputDown", int(Qt::Key_Space), "07A55");
        row("keypad Enter on input up", 6, "Image_InputUP", int(Qt::Key_Enter), "07AC9");
        row("Shift+Tab to the flap, Space", -1, "Image_Klappe", int(Qt::Key_Space), "");
    }

    void keyboardReachesAndPressesTheKeys() {
        FETCH((int, QString, int, QString), tabs, key, press, code);
        Form_Velmora &main = connected();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.Label_Standby->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < std::abs(tabs); ++i)
            QTest::keyClick(QApplication::focusWidget(), tabs > 0 ? Qt::Key_Tab : Qt::Key_Backtab);
        QWidget *focused = QApplication::focusWidget();
        QCOMPARE(focused->objectName(), key);
        sim->takeReceived();
        // Held for a while, with the keyboard's own repeat in between: still one press.
        const bool volume = code == QLatin1String("07A1A");
        QTest::keyPress(focused, Qt::Key(press));
        QTest::qWait(300);
        for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, press, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(focused, &repeat);
        }
        QCOMPARE(main.Timer_RePressKey->isActive(), volume);
        QTest::keyRelease(focused, Qt::Key(press));
        const QStringList sent = settledCommands();
        QVERIFY2(volume ? sent.size() > 1 && sent.count(code) == sent.size()
                        : sent == (code.isEmpty() ? QStringList() : QStringList{code}),
                 qPrintable(sent.join(',')));
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
