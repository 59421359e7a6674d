// The receiver's remote turned into computer actions: the 6.1/ES key with its three modes, the
// mute and POWER ON keys driving the media player, and the main window's player keys and title,
// against mpv on the test's private session bus and the receiver simulator.
#include "app/Form_Velmora.h"
#include "link/Form_Com.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/Dialogs.h"
#include "ui/ImageControl.h"
#include "winamp/Modul_Winamp.h"

#include "MpvPlayer.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestRemoteKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void esKeySingleAndDoublePress();
    void esKeyWithoutPlayerExplains();
    void muteKeysPauseAndResumeThePlayer();
    void powerOnKeyJumpsForwardOnlyWhilePlaying();
    void esKeyTogglesTheWindow();
    void esKeyRunsTheShellCommand_data();
    void esKeyRunsTheShellCommand();
    void esKeyModesAreOneGroup();
    void playerKeysAndTitle();
    void pictureKeySignalsInOrder();

private:
    Form_Velmora &connected();
    std::unique_ptr<MpvPlayer> startPlayer(int tracks = 3);
    double position(const MpvPlayer &player) const {
        return player.playerProperty(QStringLiteral("Position")).toLongLong() / 1e6;
    }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestRemoteKeys::init() {
    env = std::make_unique<TestEnvironment>();
}

void TestRemoteKeys::cleanup() {
    env.reset();
    sim.reset();
}

Form_Velmora &TestRemoteKeys::connected() {
    sim = std::make_unique<SimulatedReceiver>();
    return sim->connectMainWindow();
}

std::unique_ptr<MpvPlayer> TestRemoteKeys::startPlayer(int tracks) {
    if (!MpvPlayer::mpvInstalled()) return nullptr;
    auto player = std::make_unique<MpvPlayer>(tracks);
    if (!player->isReady()) qFatal("mpv did not start: %s", qPrintable(player->errorString()));
    return player;
}

void TestRemoteKeys::esKeySingleAndDoublePress() {
    auto player = startPlayer();
    if (!player) QSKIP("mpv is not installed");
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(2)->setChecked(true);
    main.Line1->setText(QStringLiteral("kept 1"));
    main.Line2->setText(QStringLiteral("kept 2"));

    // One press: the next track once the wait for a second press is over.
    sim->control(QStringLiteral("es"));
    QTRY_VERIFY(main.Timer_CheckTastenRepeat->isActive());
    QCOMPARE(player->trackTitle(), QStringLiteral("Track 1"));
    QTRY_COMPARE(player->trackTitle(), QStringLiteral("Track 2"));
    // The message stands for half a second, then the kept lines come back.
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("kept 1"));
    QCOMPARE(main.Line2->text(), QStringLiteral("kept 2"));
    QVERIFY(!main.Timer_CheckTastenRepeat->isActive());

    // Two presses 300 ms apart: the previous track, and no next track after it.
    sim->control(QStringLiteral("es2"));
    QTRY_COMPARE(player->trackTitle(), QStringLiteral("Track 1"));
    QTRY_COMPARE(main.Line2->text(), QStringLiteral("kept 2"));
    QTest::qWait(1200);
    QCOMPARE(player->trackTitle(), QStringLiteral("Track 1"));
    QVERIFY(!main.Timer_CheckTastenRepeat->isActive());
    // The key also sets the panel's 6.1/ES to off, as its report says.
    QVERIFY(main.Opt_61ES(0)->isChecked());
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestRemoteKeys::esKeyWithoutPlayerExplains() {
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(2)->setChecked(true);
    sim->control(QStringLiteral("es"));
    QTRY_COMPARE(env->dialogs->shown.size(), 1);
    const auto &box = env->dialogs->last();
    QCOMPARE(box.prompt, QStringLiteral("WinAmp muss zuerst gestartet werden,\r\num ihn auch "
                                        "fernsteuern zu können.\r\n\r\nFalls Sie Winamp3 benutzen "
                                        "dieser wird nicht unterstützt..."));
    QCOMPARE(box.buttons(), int(MsgBoxStyle::OKOnly));
    QCOMPARE(box.icon(), 0);
    QCOMPARE(box.title, Dialogs::applicationTitle());
    QVERIFY(!main.Timer_CheckTastenRepeat->isActive());
    // Mute and POWER ON stay silent without a player.
    sim->control(QStringLiteral("mute on"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("MUTE ON"));
    QCOMPARE(main.Line2->text(), QString());
    QCOMPARE(env->dialogs->shown.size(), 1);
}

void TestRemoteKeys::muteKeysPauseAndResumeThePlayer() {
    auto player = startPlayer();
    if (!player) QSKIP("mpv is not installed");
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(2)->setChecked(true);
    sim->control(QStringLiteral("mute on"));
    QTRY_COMPARE(main.Line2->text(), QStringLiteral("Winamp pause"));
    QCOMPARE(main.Line1->text(), QStringLiteral("MUTE ON"));
    QTRY_COMPARE(player->playerProperty(QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Paused"));
    sim->control(QStringLiteral("mute off"));
    QTRY_COMPARE(main.Line2->text(), QStringLiteral("Winamp play"));
    QTRY_COMPARE(player->playerProperty(QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Playing"));

    // Without the player entry the keys only mute.
    main.Menu_Extras_61_ES(2)->setChecked(false);
    sim->control(QStringLiteral("mute on"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("MUTE ON"));
    QTest::qWait(300);
    QCOMPARE(player->playerProperty(QStringLiteral("PlaybackStatus")).toString(),
             QStringLiteral("Playing"));
}

void TestRemoteKeys::powerOnKeyJumpsForwardOnlyWhilePlaying() {
    auto player = startPlayer();
    if (!player) QSKIP("mpv is not installed");
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(2)->setChecked(true);
    // The POWER ON report alone, as the remote's key sends it to a receiver that is on.
    const QString powerOn = QStringLiteral("send 102001");

    main.Line1->setText(QStringLiteral("before"));
    const double before = position(*player);
    sim->control(powerOn);
    QTRY_VERIFY(position(*player) >= before + 9);
    QCOMPARE(main.Line1->text(), QStringLiteral("before"));

    // Paused: nothing changes and nothing is shown.
    WinampCommand(VelmoraWinamp_PAUSE);
    QTRY_COMPARE(GetWinampStatus(), qint16(3));
    const double paused = position(*player);
    sim->control(powerOn);
    QTest::qWait(600);
    QCOMPARE(main.Line1->text(), QStringLiteral("before"));
    QVERIFY(position(*player) < paused + 1);

    // Without the player entry the report is shown.
    main.Menu_Extras_61_ES(2)->setChecked(false);
    sim->control(powerOn);
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("POWER ON"));
    QCOMPARE(main.Line2->text(), QString());
}

void TestRemoteKeys::esKeyTogglesTheWindow() {
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(1)->setChecked(true);
    sim->control(QStringLiteral("es"));
    QTRY_VERIFY(main.windowState() & Qt::WindowMinimized);
    sim->control(QStringLiteral("es"));
    QTRY_VERIFY(!(main.windowState() & Qt::WindowMinimized));
    QVERIFY(env->dialogs->shown.isEmpty());
}

void TestRemoteKeys::esKeyRunsTheShellCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::addRow("a command") << "/usr/bin/xdg-open /home/music";
    QTest::addRow("no command") << "";
}

void TestRemoteKeys::esKeyRunsTheShellCommand() {
    QFETCH(QString, command);
    Form_Velmora &main = connected();
    main.Menu_Extras_61_ES(3)->setChecked(true);
    main.Menu_Extras_61_ES_Tag = command;
    sim->control(QStringLiteral("es"));
    QTRY_VERIFY(main.Opt_61ES(0)->isChecked());
    QTest::qWait(200);
    if (command.isEmpty()) {
        QVERIFY(env->shell.calls.isEmpty());
        return;
    }
    QCOMPARE(env->shell.calls.size(), 1);
    QCOMPARE(env->shell.calls.first().text, command);
    QCOMPARE(env->shell.calls.first().style, Shell::Style::MinimizedFocus);
}

void TestRemoteKeys::esKeyModesAreOneGroup() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_61_ES(2)->trigger();
    QVERIFY(main.Menu_Extras_61_ES(2)->isChecked());
    main.Menu_Extras_61_ES(2)->trigger();
    QVERIFY(!main.Menu_Extras_61_ES(2)->isChecked());
    main.Menu_Extras_61_ES(1)->trigger();

    main.Menu_Extras_61_ES_Tag = QStringLiteral("old");
    env->dialogs->answerInput(std::nullopt); // cancelled
    main.Menu_Extras_61_ES(3)->trigger();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(!main.Menu_Extras_61_ES(i)->isChecked());
    QCOMPARE(main.Menu_Extras_61_ES_Tag, QStringLiteral("old"));
    QCOMPARE(env->dialogs->last().title, QStringLiteral("Shell Command"));
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Shell Command with full Path: "));
    QCOMPARE(env->dialogs->last().defaultText, QStringLiteral("old"));

    env->dialogs->answerInput(QStringLiteral("/usr/bin/true"));
    main.Menu_Extras_61_ES(3)->trigger();
    QVERIFY(main.Menu_Extras_61_ES(3)->isChecked());
    QCOMPARE(main.Menu_Extras_61_ES_Tag, QStringLiteral("/usr/bin/true"));
}

void TestRemoteKeys::playerKeysAndTitle() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    // No player: the keys do nothing and the title stays hidden.
    main.imgWinampNext_DblClick();
    main.Timer_WinampView_Timer();
    QVERIFY(!main.lblWinAmp->isVisible());

    auto player = startPlayer();
    if (!player) QSKIP("mpv is not installed");
    main.Timer_WinampView_Timer();
    QVERIFY(main.lblWinAmp->isVisible());
    QCOMPARE(main.lblWinAmp->text(), player->displayTitle(1));
    // Shown for one period only while the title stays the same.
    main.Timer_WinampView_Timer();
    QVERIFY(!main.lblWinAmp->isVisible());

    const double before = position(*player);
    main.imgWinampNext_Click();
    QTRY_VERIFY(position(*player) >= before + 4);
    main.imgWinampNext_DblClick();
    QTRY_COMPARE(player->trackTitle(), QStringLiteral("Track 2"));
    main.Timer_WinampView_Timer();
    QVERIFY(main.lblWinAmp->isVisible());
    QCOMPARE(main.lblWinAmp->text(), player->displayTitle(2));
    main.imgWinampPrevious_DblClick();
    QTRY_COMPARE(player->trackTitle(), QStringLiteral("Track 1"));
    const double now = position(*player);
    main.imgWinampPrevious_Click();
    QTRY_VERIFY(position(*player) <= std::max(0.0, now - 4) + 0.5);
}

void TestRemoteKeys::pictureKeySignalsInOrder() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    QStringList order;
    ImageControl *key = main.imgWinampNext;
    connect(key, &ImageControl::MouseDown, this, [&](Qt::MouseButton) { order << "down"; });
    connect(key, &ImageControl::MouseUp, this, [&](Qt::MouseButton) { order << "up"; });
    connect(key, &ImageControl::Click, this, [&] { order << "click"; });
    connect(key, &ImageControl::DblClick, this, [&] { order << "dblclick"; });
    QTest::mouseClick(key, Qt::LeftButton);
    QCOMPARE(order, (QStringList{"down", "up", "click"}));
    order.clear();
    // What the window system delivers for a double click: press, release, double click, release.
    QTest::mousePress(key, Qt::LeftButton);
    QTest::mouseRelease(key, Qt::LeftButton);
    QTest::mouseDClick(key, Qt::LeftButton);
    QTest::mouseRelease(key, Qt::LeftButton);
    QCOMPARE(order, (QStringList{"down", "up", "click", "dblclick", "up"}));
    order.clear();
    QTest::mouseClick(key, Qt::RightButton);
    QCOMPARE(order, (QStringList{"down", "up"}));
}

QTEST_MAIN(TestRemoteKeys)
#include "tst_remote_keys.moc"
