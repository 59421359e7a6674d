// SPDX-License-Identifier: GPL-3.0-or-later
// The time-control dialog and the schedule timer on the real windows: entries firing on the
// simulated receiver's line and on mpv (private session bus).
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "support/FakeClock.h"
#include "support/MpvPlayer.h"
#include "support/WindowSuite.h"
#include "timecontrol/clsTimeControl.h"
#include "ui/Form_ZS.h"
#include "winamp/Modul_Winamp.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using Kind = ScriptedDialogs::Shown::Kind;

class TestTimeControl : public WindowSuite {
    Q_OBJECT

    Form_ZS &openDialog() {
        shownMainWindow().Menu_ZS_Einstellungen->trigger();
        Form_ZS *dialog = Form_ZS::existing();
        if (!dialog || !dialog->isVisible()) qFatal("the dialog did not open");
        return *dialog;
    }
    // Puts the lines into the dialog's list and confirms it.
    void schedule(const QStringList &lines) {
        Form_ZS &dialog = openDialog();
        dialog.List_ZS->addItems(lines);
        dialog.cmdOK->click();
    }
    Form_Velmora &connectedAndActivated() {
        Form_Velmora &main = connected();
        main.Menu_ZS_Aktiv->trigger();
        if (!main.Timer_ZS->isActive()) qFatal("the schedule did not start");
        return main;
    }
    static QList<QLineEdit *> fields(const Form_ZS &d) {
        return {d.Text_Stunde, d.Text_Minute, d.Text_Tag, d.Text_Monat, d.Text_Jahr};
    }
    static QString shown(const Form_ZS &d) {
        QStringList texts;
        for (const QLineEdit *field : fields(d))
            texts << field->text();
        return texts.join('|');
    }

private Q_SLOTS:
    // The dialog opens on today (07.12.2026); Add corrects the fields where the user sees them,
    // then adds the line or asks for an action.
    void addBuildsALine_data() {
        // typed: hour|minute|day|month|year; line "": "Select action first !"
        columns<QString, bool, QString, QString, QString>("typed", "dated", "action", "corrected",
                                                          "line");
        const QString power = "Power On ,07A1D";
        row("padded, year from today", "7|5|3|4|06", true, power, "07|05|03|04|2026",
            "07:05 ,03.04.2026 ,Power On ,07A1D");
        row("upper bounds", "30|75|40|13|2031", true, power, "23|00|31|12|2031",
            "23:00 ,31.12.2031 ,Power On ,07A1D");
        row("bounds themselves kept", "23|59|31|12|2031", true, power, "23|59|31|12|2031",
            "23:59 ,31.12.2031 ,Power On ,07A1D");
        row("no lower bound, empty hour", "|0|0|00|2026", true, power, "|00|00|00|2026",
            ":00 ,00.00.2026 ,Power On ,07A1D");
        row("not a number counts as 0", "ab|9x|1|1|2026", false, power, "ab|9x|01|01|2026",
            "ab:9x ,Every day  ,Power On ,07A1D");
        row("the last action", "22|00|1|1|2026", false, "Winamp stop", "22|00|01|01|2026",
            "22:00 ,Every day  ,Winamp stop");
        row("no action, fields still corrected", "7|99|1|1|26", false, "", "07|00|01|01|2026", "");
        row("a label without code", "07|00|01|01|2026", false, "Power On", "07|00|01|01|2026", "");
        row("a partial label", "07|00|01|01|2026", false, "Power", "07|00|01|01|2026", "");
    }
    void addBuildsALine() {
        FETCH((QString, bool, QString, QString, QString), typed, dated, action, corrected, line);
        FakeClock clock("07.12.2026 12:00:00");
        Form_ZS &dialog = openDialog();
        QCOMPARE(shown(dialog), "09|00|07|12|2026");
        QVERIFY(dialog.Option_Auswahl(1)->isChecked());
        for (int i = 0; i < 5; ++i)
            fields(dialog)[i]->setText(typed.section('|', i, i));
        dialog.Option_Auswahl(dated ? 0 : 1)->setChecked(true);
        dialog.Combo_Aktion->setEditText(QString());
        dialog.activateWindow(); // typed into the focused box, as a user does
        dialog.Combo_Aktion->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(dialog.Combo_Aktion, action);
        dialog.cmdAdd->click();
        QCOMPARE(shown(dialog), corrected);
        QCOMPARE(dialog.lines(), line.isEmpty() ? QStringList() : QStringList{line});
        QCOMPARE(env->dialogs->shown.size(), line.isEmpty() ? 1 : 0);
        if (line.isEmpty()) QCOMPARE(env->dialogs->last().prompt, "Select action first !");
        QVERIFY(env->errors.calls.isEmpty());
    }

    void scriptSaveAndLoad() {
        Form_ZS &dialog = openDialog();
        const QString file = env->file("wake.txt");
        // Picks the file named in the file box ("": cancelled), answering the overwrite question.
        const auto pick = [&](QPushButton *button, const QString &name,
                              std::optional<MsgBoxResult> overwrite = {}) {
            env->dialogs->answerFile(name.isEmpty() ? std::nullopt : std::optional(name));
            if (overwrite) env->dialogs->answerMsgBox(*overwrite);
            button->click();
        };
        QString high;
        for (int b = 0x80; b <= 0xFF; ++b)
            high += QChar(b);
        const QStringList lines{"07:30 ,Every day  ,Power On ,07A1D", "08:00 ,Every day  ," + high};
        dialog.List_ZS->addItems(lines);
        pick(dialog.cmdScriptSave, file);
        QCOMPARE(env->dialogs->last().prompt, file + " saved...");
        const QByteArray bytes = lines[0].toLatin1() + "\r\n" + lines[1].toLatin1() + "\r\n";
        QCOMPARE(env->readFile(file), bytes);
        pick(dialog.cmdScriptSave, file, MsgBoxResult::No);
        QCOMPARE(env->dialogs->last().prompt, "Overwrite existing file ?");
        QCOMPARE(env->readFile(file), bytes);
        pick(dialog.cmdScriptLoad, file); // adds to the list, byte for byte
        QCOMPARE(dialog.lines(), lines + lines);

        // Cancelled boxes, a missing file and an unwritable place end without a word.
        const int shown = env->dialogs->shown.size();
        pick(dialog.cmdScriptLoad, "");
        pick(dialog.cmdScriptSave, "");
        pick(dialog.cmdScriptLoad, env->file("missing.txt"));
        pick(dialog.cmdScriptSave, env->file("no/such/folder.txt"));
        QCOMPARE(env->dialogs->count(Kind::MsgBox), 2);
        QCOMPARE(env->dialogs->shown.size(), shown + 4);
        QCOMPARE(dialog.List_ZS->count(), 4);
        QVERIFY(env->errors.calls.isEmpty());

        // A file written elsewhere: empty lines kept, lone line ends, a last line without its
        // end; saved again with CR LF.
        QVERIFY(env->writeFile(file, "a\r\n\r\nb\nc\rd"));
        dialog.cmdClear->click();
        pick(dialog.cmdScriptLoad, file);
        QCOMPARE(dialog.lines(), (QStringList{"a", "", "b", "c", "d"}));
        pick(dialog.cmdScriptSave, file, MsgBoxResult::Yes);
        QCOMPARE(env->readFile(file), "a\r\n\r\nb\r\nc\r\nd\r\n");
    }

    void confirmingRebuildsTheSchedule() {
        Form_ZS &dialog = openDialog();
        dialog.List_ZS->addItems(
            {"07:30 ,Every day  ,Power On ,07A1D", "garbage", "22:00 ,Every day  ,Winamp stop"});
        dialog.cmdOK->click();
        QCOMPARE(env->errors.calls.size(), 1);
        QVERIFY(env->errors.contains("Form_ZS", "SetTimeContol", 5));
        QCOMPARE(gTimeControl->Item(2).stDescription, "Winamp stop");

        // Closing the window confirms as well; the dialog and its list live on.
        gTimeControl->Item(1).bDisable = true;
        dialog.show();
        dialog.List_ZS->item(1)->setSelected(true);
        dialog.cmdRemove->click();
        QVERIFY(!dialog.close());
        QCOMPARE(Form_ZS::existing(), &dialog);
        QCOMPARE(gTimeControl->Count(), 2L);
        QVERIFY(!gTimeControl->Item(1).bDisable); // fresh entries
        QCOMPARE(openDialog().List_ZS->count(), 2);
    }

    void activatedFollowsTheConnectionAndTheClock() {
        Form_Velmora &main = shownMainWindow();
        main.Menu_ZS_Aktiv_Click();
        QCOMPARE(env->dialogs->last().prompt, "Connect first !");
        QVERIFY(!main.Menu_ZS_Aktiv->isChecked() && !main.Timer_ZS->isActive());
        connectedAndActivated();
        QVERIFY(main.Menu_ZS_Aktiv->isChecked());
        // An entry for this minute fires by the real clock, kept clear of the minute's end.
        while (QTime::currentTime().second() > 55)
            QTest::qWait(500);
        schedule(
            {QDateTime::currentDateTime().toString("HH:mm ,dd.MM.yyyy") + " ,Input DVD ,07AC1"});
        QByteArray sent;
        QTRY_VERIFY(commandsIn(sent += sim->takeReceived()).contains("07AC1"));
        // Disconnecting leaves the schedule running; "Activated" can then only say why not.
        main.Menu_Connect->trigger();
        QVERIFY(!Form_Com::instance().Com->PortOpen());
        QVERIFY(main.Timer_ZS->isActive());
        main.Menu_ZS_Aktiv_Click();
        QVERIFY(main.Menu_ZS_Aktiv->isChecked());
        QCOMPARE(env->dialogs->count(Kind::MsgBox), 2);
        main.Menu_Connect->trigger();
        main.Menu_ZS_Aktiv->trigger();
        QVERIFY(!main.Menu_ZS_Aktiv->isChecked() && !main.Timer_ZS->isActive());
    }

    void dueEntryGoesOnTheLineOnce() {
        FakeClock clock("07.12.2026 07:29:59");
        Form_Velmora &main = connectedAndActivated();
        schedule({"07:30 ,Every day  ,Input Tuner ,07A16"});
        // Ticks inside another exchange with the receiver leave the entry armed.
        Form_Com::instance().Com->Tag = "1";
        clock.set("07.12.2026 07:30:00");
        QTest::qWait(1200);
        QCOMPARE(sim->takeReceived(), QByteArray());
        Form_Com::instance().Com->Tag = "0";
        // The receiver's answer moves the panel and the status line as a report does.
        QTRY_COMPARE(main.Line1->text(), "INPUT TUNER");
        QTest::qWait(2000);
        clock.set("07.12.2026 07:31:00");
        QTest::qWait(1200);
        QCOMPARE(commandsIn(sim->takeReceived()), QStringList{"07A16"});
        QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
    }

    void playerPlayAndStop() {
        START_PLAYER(player);
        FakeClock clock("07.12.2026 06:59:00");
        Form_Velmora &main = connectedAndActivated();
        schedule({"07:00 ,Every day  ,Winamp play", "07:01 ,Every day  ,Winamp stop"});
        RefreshWinamp();
        WinampCommand(VelmoraWinamp_PAUSE);
        QTRY_COMPARE(player.status(), "Paused");

        clock.set("07.12.2026 07:00:00");
        QTRY_COMPARE(main.Line2->text(), "Winamp play");
        QTRY_COMPARE(player.status(), "Playing");
        clock.set("07.12.2026 07:01:00");
        QTRY_COMPARE(main.Line2->text(), "Winamp stop");
        QTRY_COMPARE(player.status(), "Stopped");
        QCOMPARE(commandsIn(sim->takeReceived()), QStringList());
    }
};

QTEST_MAIN(TestTimeControl)
#include "tst_time_control.moc"
