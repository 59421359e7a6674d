// The time-control dialog and the schedule timer on the real windows: the dialog's buttons,
// corrections and boxes, script files, the schedule rebuilt on confirming, "Activated", and
// entries firing on the simulated receiver's line and on mpv (private session bus).
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "support/FakeClock.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "timecontrol/Form_ZS.h"
#include "timecontrol/clsTimeControl.h"
#include "winamp/Modul_Winamp.h"

#include "MpvPlayer.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using Kind = ScriptedDialogs::Shown::Kind;

class TestTimeControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void dialogBuildsLines();
    void removeAndClear();
    void scriptSaveAndLoad();
    void confirmingRebuildsTheSchedule();
    void activatedFollowsTheConnection();
    void dueEntryGoesOnTheLineOnce();
    void realClockFiresTheCurrentMinute();
    void playerPlayAndStop();

private:
    Form_ZS &openDialog();
    QStringList listLines(const Form_ZS &dialog) const { return dialog.lines(); }
    // Puts the lines into the dialog's list and confirms it.
    void schedule(const QStringList &lines);
    Form_Velmora &connectedAndActivated();

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestTimeControl::init() {
    env = std::make_unique<TestEnvironment>();
}

void TestTimeControl::cleanup() {
    env.reset();
    sim.reset();
}

Form_ZS &TestTimeControl::openDialog() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    main.Menu_ZS_Einstellungen->trigger();
    Form_ZS *dialog = Form_ZS::existing();
    if (!dialog || !dialog->isVisible()) qFatal("the dialog did not open");
    return *dialog;
}

void TestTimeControl::schedule(const QStringList &lines) {
    Form_ZS &dialog = openDialog();
    dialog.List_ZS->addItems(lines);
    dialog.cmdOK->click();
}

Form_Velmora &TestTimeControl::connectedAndActivated() {
    sim = std::make_unique<SimulatedReceiver>();
    Form_Velmora &main = sim->connectMainWindow();
    main.Menu_ZS_Aktiv->trigger();
    if (!main.Timer_ZS->isActive()) qFatal("the schedule did not start");
    return main;
}

void TestTimeControl::dialogBuildsLines() {
    FakeClock clock(QStringLiteral("05.03.2027 12:00:00"));
    Form_ZS &dialog = openDialog();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Time Control"));
    QCOMPARE(
        (QStringList{dialog.Text_Stunde->text(), dialog.Text_Minute->text(),
                     dialog.Text_Tag->text(), dialog.Text_Monat->text(), dialog.Text_Jahr->text()}),
        (QStringList{"09", "00", "05", "03", "2027"}));
    QVERIFY(dialog.Option_Auswahl(1)->isChecked());
    QCOMPARE(dialog.Combo_Aktion->count(), 41);
    QCOMPARE(dialog.Combo_Aktion->currentText(), QString());

    // No action yet.
    dialog.cmdAdd->click();
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Select action first !"));
    QCOMPARE(dialog.List_ZS->count(), 0);

    // A dated line, the fields corrected where the user sees them.
    dialog.Text_Stunde->setText(QStringLiteral("7"));
    dialog.Text_Minute->setText(QStringLiteral("5"));
    dialog.Text_Tag->setText(QStringLiteral("3"));
    dialog.Text_Monat->setText(QStringLiteral("13"));
    dialog.Text_Jahr->setText(QStringLiteral("06"));
    dialog.Option_Auswahl(0)->setChecked(true);
    dialog.Combo_Aktion->setCurrentIndex(0);
    dialog.cmdAdd->click();
    QCOMPARE(
        (QStringList{dialog.Text_Stunde->text(), dialog.Text_Minute->text(),
                     dialog.Text_Tag->text(), dialog.Text_Monat->text(), dialog.Text_Jahr->text()}),
        (QStringList{"07", "05", "03", "12", "2027"}));
    // A daily line with the last action, and a typed one.
    dialog.Option_Auswahl(1)->setChecked(true);
    dialog.Combo_Aktion->setCurrentIndex(40);
    dialog.cmdAdd->click();
    dialog.Combo_Aktion->setEditText(QStringLiteral("WINAMP pause"));
    dialog.cmdAdd->click();
    QCOMPARE(listLines(dialog),
             (QStringList{"07:05 ,03.12.2027 ,Power On ,07A1D", "07:05 ,Every day  ,Winamp stop",
                          "07:05 ,Every day  ,WINAMP pause"}));
    QCOMPARE(env->dialogs->shown.size(), 1);
    QVERIFY(env->errors.calls.isEmpty());
}

void TestTimeControl::removeAndClear() {
    Form_ZS &dialog = openDialog();
    dialog.List_ZS->addItems({"a", "b", "c", "d"});
    dialog.cmdRemove->click(); // nothing selected
    QCOMPARE(dialog.List_ZS->count(), 4);
    dialog.List_ZS->item(3)->setSelected(true);
    dialog.List_ZS->item(1)->setSelected(true);
    dialog.cmdRemove->click();
    QCOMPARE(listLines(dialog), (QStringList{"a", "c", "d"}));
    QVERIFY(dialog.List_ZS->item(2)->isSelected()); // the other selected line stays
    dialog.cmdClear->click();
    QCOMPARE(dialog.List_ZS->count(), 0);
}

void TestTimeControl::scriptSaveAndLoad() {
    Form_ZS &dialog = openDialog();
    QString high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += QChar(b);
    const QStringList lines{"07:30 ,Every day  ,Power On ,07A1D", "08:00 ,Every day  ," + high};
    dialog.List_ZS->addItems(lines);
    const QString file = env->file(QStringLiteral("wake.txt"));

    env->dialogs->answerFile(file);
    dialog.cmdScriptSave->click();
    QCOMPARE(env->dialogs->shown.at(0).file.title, QStringLiteral("Save"));
    QCOMPARE(env->dialogs->shown.at(0).file.filter, QStringLiteral("Script (*.txt)|*.txt"));
    QCOMPARE(env->dialogs->last().prompt, file + " saved...");
    const QByteArray bytes = lines[0].toLatin1() + "\r\n" + lines[1].toLatin1() + "\r\n";
    const auto content = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QCOMPARE(content(), bytes);

    // Overwriting is asked; No keeps the file.
    dialog.List_ZS->clear();
    env->dialogs->answerFile(file);
    env->dialogs->answerMsgBox(MsgBoxResult::No);
    dialog.cmdScriptSave->click();
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Overwrite existing file ?"));
    QCOMPARE(env->dialogs->last().buttons(), int(MsgBoxStyle::YesNo));
    QCOMPARE(content(), bytes);

    // Loading twice doubles the lines, byte for byte.
    for (int i = 0; i < 2; ++i) {
        env->dialogs->answerFile(file);
        dialog.cmdScriptLoad->click();
    }
    QCOMPARE(env->dialogs->last().file.title, QStringLiteral("Open"));
    QCOMPARE(listLines(dialog), lines + lines);

    // Cancelled dialogs, a missing file and an unwritable place end without a word.
    const int shown = env->dialogs->shown.size();
    dialog.cmdScriptLoad->click();
    dialog.cmdScriptSave->click();
    env->dialogs->answerFile(env->file(QStringLiteral("missing.txt")));
    dialog.cmdScriptLoad->click();
    env->dialogs->answerFile(env->file(QStringLiteral("no/such/folder.txt")));
    dialog.cmdScriptSave->click();
    QCOMPARE(env->dialogs->count(Kind::MsgBox), 2);
    QCOMPARE(env->dialogs->shown.size(), shown + 4);
    QCOMPARE(dialog.List_ZS->count(), 4);
    QVERIFY(env->errors.calls.isEmpty());

    // An empty list saves an empty file, which loads nothing.
    dialog.cmdClear->click();
    env->dialogs->answerFile(file);
    env->dialogs->answerMsgBox(MsgBoxResult::Yes);
    dialog.cmdScriptSave->click();
    QCOMPARE(content(), QByteArray());
    env->dialogs->answerFile(file);
    dialog.cmdScriptLoad->click();
    QCOMPARE(dialog.List_ZS->count(), 0);
}

void TestTimeControl::confirmingRebuildsTheSchedule() {
    QVERIFY(!gTimeControl);
    Form_ZS &dialog = openDialog();
    dialog.List_ZS->addItems(
        {"07:30 ,Every day  ,Power On ,07A1D", "garbage", "22:00 ,Every day  ,Winamp stop"});
    dialog.cmdOK->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(env->errors.calls.size(), 1);
    QVERIFY(env->errors.contains(QStringLiteral("Form_ZS"), QStringLiteral("SetTimeContol"), 5));
    QCOMPARE(gTimeControl->Count(), 2L);
    QCOMPARE(gTimeControl->Item(2).stDescription, QStringLiteral("Winamp stop"));

    // Closing the window confirms as well; the dialog and its list live on.
    gTimeControl->Item(1).bDisable = true;
    dialog.show();
    delete dialog.List_ZS->takeItem(1);
    QVERIFY(!dialog.close());
    QCOMPARE(Form_ZS::existing(), &dialog);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(gTimeControl->Count(), 2L);
    QVERIFY(!gTimeControl->Item(1).bDisable); // fresh entries
    QCOMPARE(openDialog().List_ZS->count(), 2);
}

void TestTimeControl::activatedFollowsTheConnection() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    main.Menu_ZS_Aktiv_Click();
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Connect first !"));
    QVERIFY(!main.Menu_ZS_Aktiv->isChecked());
    QVERIFY(!main.Timer_ZS->isActive());

    connectedAndActivated();
    QVERIFY(main.Menu_ZS_Aktiv->isChecked());
    QCOMPARE(main.Timer_ZS->interval(), 500);
    // Disconnecting leaves the schedule running; "Activated" can then only say why not.
    main.Menu_Connect->trigger();
    QVERIFY(!Form_Com::instance().Com->PortOpen());
    QVERIFY(main.Timer_ZS->isActive());
    main.Menu_ZS_Aktiv_Click();
    QVERIFY(main.Menu_ZS_Aktiv->isChecked());
    QCOMPARE(env->dialogs->count(Kind::MsgBox), 2);
    main.Menu_Connect->trigger();
    main.Menu_ZS_Aktiv->trigger();
    QVERIFY(!main.Menu_ZS_Aktiv->isChecked());
    QVERIFY(!main.Timer_ZS->isActive());
}

void TestTimeControl::dueEntryGoesOnTheLineOnce() {
    FakeClock clock(QStringLiteral("07.12.2026 07:29:59"));
    Form_Velmora &main = connectedAndActivated();
    schedule({"07:30 ,Every day  ,Input Tuner ,07A16"});
    QTest::qWait(1200);
    QCOMPARE(commandsIn(sim->takeReceived()), QStringList());

    // Ticks inside another exchange with the receiver leave the entry armed.
    Form_Com::instance().Com->Tag = QStringLiteral("1");
    clock.set(QStringLiteral("07.12.2026 07:30:00"));
    QTest::qWait(1200);
    QCOMPARE(sim->takeReceived(), QByteArray());
    Form_Com::instance().Com->Tag = QStringLiteral("0");
    // The receiver's answer moves the panel and the status line as a report does.
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT TUNER"));
    QTest::qWait(2000);
    clock.set(QStringLiteral("07.12.2026 07:31:00"));
    QTest::qWait(1200);
    QCOMPARE(commandsIn(sim->takeReceived()), QStringList{"07A16"});

    // Re-armed by the later minute, it fires again the next day.
    sim->control(QStringLiteral("input CD"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT CD"));
    clock.set(QStringLiteral("08.12.2026 07:30:00"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT TUNER"));
    QCOMPARE(commandsIn(sim->takeReceived()), QStringList{"07A16"});
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestTimeControl::realClockFiresTheCurrentMinute() {
    connectedAndActivated();
    // Clear of the minute's end, so that the line is due when the timer looks.
    while (QTime::currentTime().second() > 55)
        QTest::qWait(500);
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"));
    schedule({now + " ," + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) +
              " ,Input DVD ,07AC1"});
    QByteArray sent;
    QTRY_VERIFY(commandsIn(sent += sim->takeReceived()).contains(QStringLiteral("07AC1")));
}

void TestTimeControl::playerPlayAndStop() {
    if (!MpvPlayer::mpvInstalled()) QSKIP("mpv is not installed");
    MpvPlayer player;
    QVERIFY2(player.isReady(), qPrintable(player.errorString()));
    const auto status = [&] {
        return player.playerProperty(QStringLiteral("PlaybackStatus")).toString();
    };
    FakeClock clock(QStringLiteral("07.12.2026 06:59:00"));
    Form_Velmora &main = connectedAndActivated();
    schedule({"07:00 ,Every day  ,Winamp play", "07:01 ,Every day  ,Winamp stop"});
    hWndWinamp = FindWinamp();
    WinampCommand(VelmoraWinamp_PAUSE);
    QTRY_COMPARE(status(), QStringLiteral("Paused"));

    clock.set(QStringLiteral("07.12.2026 07:00:00"));
    QTRY_COMPARE(main.Line2->text(), QStringLiteral("Winamp play"));
    QTRY_COMPARE(status(), QStringLiteral("Playing"));
    clock.set(QStringLiteral("07.12.2026 07:01:00"));
    QTRY_COMPARE(main.Line2->text(), QStringLiteral("Winamp stop"));
    QTRY_COMPARE(status(), QStringLiteral("Stopped"));
    QCOMPARE(commandsIn(sim->takeReceived()), QStringList());
}

QTEST_MAIN(TestTimeControl)
#include "tst_time_control.moc"
