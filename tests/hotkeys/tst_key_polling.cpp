// The media-key poll of the main window over a scripted key state and a scripted player, with
// the receiver simulator on a real pseudo-terminal: which keys are asked for, what each key
// sends, and the order of one tick.
#include "app/Form_Velmora.h"
#include "hotkeys/KeyStateSource.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "sim/ReceiverSimulator.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "winamp/Modul_Winamp.h"
#include "winamp/PlayerBackend.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <functional>

using Sim::ReceiverSimulator;

namespace {

// Key state as the test sets it: which keys are down and which went down since they were last
// asked for. Records every key asked for.
class ScriptedKeys : public KeyStateSource {
public:
    QSet<qint32> down;
    QSet<qint32> pressedSince;
    QList<qint32> queried;
    bool available = true;
    std::function<void(qint32)> onQuery;

    void press(qint32 key) {
        down.insert(key);
        pressedSince.insert(key);
    }
    qint16 keyState(qint32 key) override {
        queried << key;
        if (onQuery) onQuery(key);
        quint16 state = down.contains(key) ? kKeyDownNow : 0;
        if (pressedSince.remove(key)) state |= kKeyPressedSince;
        return qint16(state);
    }
    bool isAvailable() const override { return available; }
    // A source that says when keys change, as on X11.
    bool waking = false;
    std::function<void()> wakeUp;
    bool canWake() const override { return waking; }
    void setWakeUp(std::function<void()> w) override { wakeUp = std::move(w); }
    bool needsPolling() override { return !down.isEmpty() || !pressedSince.isEmpty(); }
};

// A player that answers from fields. A Winamp window answers a status request before it takes
// a command posted earlier, so by default a command leaves the state alone; an MPRIS player
// takes its calls in order and acts at once.
class ScriptedPlayer : public PlayerBackend {
public:
    WinampHandle found = 0;
    qint16 status_ = WinampStatusStopped;
    bool actsAtOnce = false;
    int searches = 0;
    int statusRequests = 0;
    QList<qint32> posted;
    bool failSearch = false;

    WinampHandle find() override {
        ++searches;
        if (failSearch) throw RuntimeError(ErrNr::Internal, QStringLiteral("no bus"));
        return found;
    }
    void postCommand(WinampHandle, qint32 id) override {
        posted << id;
        if (!actsAtOnce) return;
        if (id == VelmoraWinamp_JMP_STARTPOS) status_ = WinampStatusPlaying;
        if (id == VelmoraWinamp_STOP) status_ = WinampStatusStopped;
        if (id == VelmoraWinamp_PAUSE && status_ != WinampStatusStopped)
            status_ = status_ == WinampStatusPlaying ? WinampStatusPaused : WinampStatusPlaying;
    }
    qint16 status(WinampHandle, int) override {
        ++statusRequests;
        return status_;
    }
    QString windowTitle(WinampHandle) override { return QString(); }
};

const QString kVolUp = QStringLiteral("07A1A");
const QString kVolDown = QStringLiteral("07A1B");
const QString kMuteOn = QStringLiteral("07EA2");

} // namespace

class TestKeyPolling : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void compKeyWantsAFreshPressStillDown_data();
    void compKeyWantsAFreshPressStillDown();
    void heldKeyStepsOnlyOnFreshPresses();
    void bothEntriesInOneTick();
    void playPauseFollowsThePlayerState_data();
    void playPauseFollowsThePlayerState();
    void stopOnlyWhilePlaying_data();
    void stopOnlyWhilePlaying();
    void trackKeysStepAndWait_data();
    void trackKeysStepAndWait();
    void keypadOnlyWithTheMainWindowInFront_data();
    void keypadOnlyWithTheMainWindowInFront();
    void keysOfInactiveBranchesAreNotAskedFor_data();
    void keysOfInactiveBranchesAreNotAskedFor();
    void unaskedPressWaitsForALaterTick();
    void tickInsideATickIsSkipped();
    void tickDuringAnExchangeLeavesThePressForLater();
    void failureGoesToTheErrorBoxAndTheTickGoesOn();
    void pollRunsFromLoadToUnload_data();
    void pollRunsFromLoadToUnload();
    void toolTipsSayWhetherTheKeysCanBeRead_data();
    void toolTipsSayWhetherTheKeysCanBeRead();

private:
    Form_Velmora &connected();
    // The commands the receiver got since the last call, once the line has been quiet.
    QStringList takeCommands() {
        QTest::qWait(150);
        const QStringList c = commandsIn(m_received);
        m_received.clear();
        return c;
    }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
    QByteArray m_received;
    ScriptedKeys *keys = nullptr;
    ScriptedPlayer *player = nullptr;
    std::unique_ptr<KeyStateSource> m_previousKeys;
    std::unique_ptr<PlayerBackend> m_previousPlayer;
};

void TestKeyPolling::init() {
    env = std::make_unique<TestEnvironment>();
    m_received.clear();
    auto k = std::make_unique<ScriptedKeys>();
    keys = k.get();
    m_previousKeys = setKeyStateSource(std::move(k));
    auto p = std::make_unique<ScriptedPlayer>();
    player = p.get();
    m_previousPlayer = setPlayerBackend(std::move(p));
}

void TestKeyPolling::cleanup() {
    env.reset();
    sim.reset();
    setKeyStateSource(std::move(m_previousKeys));
    setPlayerBackend(std::move(m_previousPlayer));
    keys = nullptr;
    player = nullptr;
}

Form_Velmora &TestKeyPolling::connected() {
    sim = std::make_unique<SimulatedReceiver>();
    connect(sim.get(), &ReceiverSimulator::bytesReceived, this,
            [this](const QByteArray &b) { m_received += b; });
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.ConnectToYamaha(0);
    if (!QTest::qWaitFor([&] { return sim->model().state().reportsEnabled; })) qFatal("no reports");
    // The tests drive the ticks themselves.
    main.Timer_CheckKeys->stop();
    QTest::qWait(200);
    m_received.clear();
    keys->queried.clear();
    return main;
}

void TestKeyPolling::compKeyWantsAFreshPressStillDown_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("pressedSince");
    QTest::addColumn<bool>("result");
    QTest::addRow("pressed and still down") << true << true << true;
    QTest::addRow("held since an earlier query") << true << false << false;
    QTest::addRow("pressed and released before the query") << false << true << false;
    QTest::addRow("up") << false << false << false;
}

void TestKeyPolling::compKeyWantsAFreshPressStillDown() {
    QFETCH(bool, down);
    QFETCH(bool, pressedSince);
    QFETCH(bool, result);
    Form_Velmora &main = Form_Velmora::instance();
    if (down) keys->down.insert(175);
    if (pressedSince) keys->pressedSince.insert(175);
    QCOMPARE(main.CompKey(175), result);
    // The query itself takes the press away.
    QCOMPARE(main.CompKey(175), false);
    QCOMPARE(keys->queried, QList<qint32>({175, 175}));
}

void TestKeyPolling::heldKeyStepsOnlyOnFreshPresses() {
    Form_Velmora &main = connected();
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    keys->press(175);
    int steps = 0;
    // Held for eight ticks; the keyboard repeats the press before ticks 4 and 7.
    for (int tick = 1; tick <= 8; ++tick) {
        if (tick == 4 || tick == 7) keys->pressedSince.insert(175);
        main.Timer_CheckKeys_Timer();
        steps += int(takeCommands().count(kVolUp));
    }
    QCOMPARE(steps, 3);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestKeyPolling::bothEntriesInOneTick() {
    Form_Velmora &main = connected();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.Menu_Extras_MT_Winamp->setChecked(true);
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    player->found = 5;
    player->status_ = WinampStatusPlaying;
    keys->press(176); // next track
    keys->press(174); // volume down
    keys->press(173); // mute

    main.Timer_CheckKeys_Timer();

    QCOMPARE(player->posted, QList<qint32>({VelmoraWinamp_NEXTSONG}));
    QCOMPARE(takeCommands(), QStringList({kVolDown, kMuteOn}));
    QCOMPARE(hWndWinamp, WinampHandle(5));
    // Keypad, player, receiver: each key asked for once.
    QCOMPARE(keys->queried, QList<qint32>({107, 109, 178, 179, 176, 177, 174, 175, 173}));
}

void TestKeyPolling::playPauseFollowsThePlayerState_data() {
    QTest::addColumn<bool>("actsAtOnce");
    QTest::addColumn<qint16>("status");
    QTest::addColumn<qint32>("command");
    QTest::addColumn<QString>("line2");
    for (bool atOnce : {false, true}) {
        const char *player = atOnce ? "player acting at once" : "window-message player";
        QTest::addRow("%s, stopped: play", player)
            << atOnce << qint16(WinampStatusStopped) << qint32(VelmoraWinamp_JMP_STARTPOS)
            << "Winamp play";
        QTest::addRow("%s, playing: pause", player)
            << atOnce << qint16(WinampStatusPlaying) << qint32(VelmoraWinamp_PAUSE)
            << "Winamp pause";
        QTest::addRow("%s, paused: pause again, which resumes", player)
            << atOnce << qint16(WinampStatusPaused) << qint32(VelmoraWinamp_PAUSE) << "Winamp play";
    }
}

void TestKeyPolling::playPauseFollowsThePlayerState() {
    QFETCH(bool, actsAtOnce);
    QFETCH(qint16, status);
    QFETCH(qint32, command);
    QFETCH(QString, line2);
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_MT_Winamp->setChecked(true);
    main.Line1->setText(QStringLiteral("before"));
    player->found = 9;
    player->status_ = status;
    player->actsAtOnce = actsAtOnce;
    keys->press(179);

    main.Timer_CheckKeys_Timer();

    QCOMPARE(player->posted, QList<qint32>({command}));
    QCOMPARE(main.Line1->text(), QString());
    QCOMPARE(main.Line2->text(), line2);
    // Each of the three checks asks the player afresh.
    QCOMPARE(player->statusRequests, 3);

    // Held on: nothing more.
    main.Timer_CheckKeys_Timer();
    QCOMPARE(player->posted.size(), 1);
}

void TestKeyPolling::stopOnlyWhilePlaying_data() {
    QTest::addColumn<qint16>("status");
    QTest::addColumn<bool>("stops");
    QTest::addRow("stopped") << qint16(WinampStatusStopped) << false;
    QTest::addRow("playing") << qint16(WinampStatusPlaying) << true;
    QTest::addRow("paused") << qint16(WinampStatusPaused) << false;
    QTest::addRow("other answer") << qint16(2) << false;
}

void TestKeyPolling::stopOnlyWhilePlaying() {
    QFETCH(qint16, status);
    QFETCH(bool, stops);
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_MT_Winamp->setChecked(true);
    main.Line1->setText(QStringLiteral("kept 1"));
    main.Line2->setText(QStringLiteral("kept 2"));
    player->found = 9;
    player->status_ = status;
    keys->press(178);

    main.Timer_CheckKeys_Timer();

    QCOMPARE(player->posted, stops ? QList<qint32>({VelmoraWinamp_STOP}) : QList<qint32>());
    QCOMPARE(main.Line1->text(), stops ? QString() : QStringLiteral("kept 1"));
    QCOMPARE(main.Line2->text(), stops ? QStringLiteral("Winamp stop") : QStringLiteral("kept 2"));
    QCOMPARE(player->statusRequests, 1);
}

void TestKeyPolling::trackKeysStepAndWait_data() {
    QTest::addColumn<qint32>("key");
    QTest::addColumn<qint32>("command");
    QTest::addColumn<QString>("line2");
    QTest::addRow("next") << 176 << qint32(VelmoraWinamp_NEXTSONG) << "Winamp next";
    QTest::addRow("previous") << 177 << qint32(VelmoraWinamp_PREVSONG) << "Winamp prev";
}

void TestKeyPolling::trackKeysStepAndWait() {
    QFETCH(qint32, key);
    QFETCH(qint32, command);
    QFETCH(QString, line2);
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_MT_Winamp->setChecked(true);
    main.Line1->setText(QStringLiteral("kept 1"));
    player->found = 9;
    player->status_ = WinampStatusPlaying;
    keys->press(key);

    QElapsedTimer clock;
    clock.start();
    main.Timer_CheckKeys_Timer();
    const qint64 took = clock.elapsed();

    QCOMPARE(player->posted, QList<qint32>({command}));
    QCOMPARE(main.Line1->text(), QString());
    QCOMPARE(main.Line2->text(), line2);
    // Half a second's wait after the step, so that a held key does not race through the list.
    QVERIFY2(took >= 450 && took < 5000, qPrintable(QString::number(took)));
    // The track keys do not ask the player for its state.
    QCOMPARE(player->statusRequests, 0);
}

void TestKeyPolling::keypadOnlyWithTheMainWindowInFront_data() {
    QTest::addColumn<QString>("front"); // "main", "other" (a window of the program), "none"
    QTest::addColumn<QStringList>("commands");
    QTest::addRow("main window in front") << "main" << QStringList({kVolUp, kVolDown});
    QTest::addRow("another window of the program") << "other" << QStringList();
    QTest::addRow("another program in front") << "none" << QStringList();
}

void TestKeyPolling::keypadOnlyWithTheMainWindowInFront() {
    QFETCH(QString, front);
    QFETCH(QStringList, commands);
    Form_Velmora &main = connected();
    QWidget other;
    if (front == QLatin1String("main")) {
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
    } else if (front == QLatin1String("other")) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    } else {
        QApplication::setActiveWindow(nullptr);
        QTRY_VERIFY(!QApplication::activeWindow());
    }
    keys->press(107);
    keys->press(109);

    main.Timer_CheckKeys_Timer();

    QCOMPARE(takeCommands(), commands);
    // With another window in front the keypad keys are not even asked for.
    QCOMPARE(keys->queried.contains(107), !commands.isEmpty());
}

void TestKeyPolling::keysOfInactiveBranchesAreNotAskedFor_data() {
    QTest::addColumn<bool>("playerEntry");
    QTest::addColumn<bool>("receiverEntry");
    QTest::addColumn<WinampHandle>("running"); // the player found, 0 for none
    QTest::addColumn<QList<qint32>>("asked");
    QTest::addColumn<int>("searches");
    const QList<qint32> playerKeys{178, 179, 176, 177};
    const QList<qint32> receiverKeys{174, 175, 173};
    QTest::addRow("neither entry") << false << false << WinampHandle(3) << QList<qint32>() << 0;
    QTest::addRow("receiver only") << false << true << WinampHandle(3) << receiverKeys << 0;
    QTest::addRow("player only") << true << false << WinampHandle(3) << playerKeys << 1;
    QTest::addRow("player entry, no player")
        << true << false << WinampHandle(0) << QList<qint32>() << 1;
    QTest::addRow("both, no player") << true << true << WinampHandle(0) << receiverKeys << 1;
    QTest::addRow("both") << true << true << WinampHandle(3) << playerKeys + receiverKeys << 1;
}

void TestKeyPolling::keysOfInactiveBranchesAreNotAskedFor() {
    QFETCH(bool, playerEntry);
    QFETCH(bool, receiverEntry);
    QFETCH(WinampHandle, running);
    QFETCH(QList<qint32>, asked);
    QFETCH(int, searches);
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_MT_Winamp->setChecked(playerEntry);
    main.Menu_Extras_MT_Yamaha->setChecked(receiverEntry);
    player->found = running;
    hWndWinamp = 77; // a player found earlier and closed since

    main.Timer_CheckKeys_Timer();

    QCOMPARE(keys->queried, asked);
    QCOMPARE(player->searches, searches);
    // The search of every tick replaces what was found earlier.
    QCOMPARE(hWndWinamp, playerEntry ? running : WinampHandle(77));
    QVERIFY(player->posted.isEmpty());
    QCOMPARE(player->statusRequests, 0);
    QVERIFY(env->dialogs->shown.isEmpty());
}

void TestKeyPolling::unaskedPressWaitsForALaterTick() {
    Form_Velmora &main = connected();
    keys->press(175);
    main.Timer_CheckKeys_Timer();
    QCOMPARE(takeCommands(), QStringList());
    // The key is still down and its press was never asked for: it counts once asked.
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    main.Timer_CheckKeys_Timer();
    QCOMPARE(takeCommands(), QStringList({kVolUp}));
}

void TestKeyPolling::tickInsideATickIsSkipped() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    keys->press(173);
    // A tick that comes while the current one is busy (here: while a key is being read).
    int nested = 0;
    keys->onQuery = [&](qint32 key) {
        if (key == 175 && nested++ == 0) main.Timer_CheckKeys_Timer();
    };
    main.Timer_CheckKeys_Timer();
    keys->onQuery = nullptr;
    QCOMPARE(keys->queried, QList<qint32>({174, 175, 173}));
    // The guard is down again afterwards.
    main.Timer_CheckKeys_Timer();
    QCOMPARE(keys->queried.size(), 6);
}

void TestKeyPolling::tickDuringAnExchangeLeavesThePressForLater() {
    Form_Velmora &main = connected();
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    keys->press(175);
    // As when the port poll lets the tick run while it reads.
    Form_Com::instance().Com->Tag = QStringLiteral("1");
    main.Timer_CheckKeys_Timer();
    Form_Com::instance().Com->Tag = QStringLiteral("0");
    QVERIFY(keys->queried.isEmpty());
    QCOMPARE(takeCommands(), QStringList());
    main.Timer_CheckKeys_Timer();
    QCOMPARE(takeCommands(), QStringList({kVolUp}));
}

void TestKeyPolling::failureGoesToTheErrorBoxAndTheTickGoesOn() {
    Form_Velmora &main = connected();
    main.Menu_Extras_MT_Winamp->setChecked(true);
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    player->failSearch = true;
    keys->press(175);

    main.Timer_CheckKeys_Timer();

    QCOMPARE(env->errors.calls.size(), 1);
    QVERIFY2(env->errors.contains(QStringLiteral("Form_Velmora"),
                                  QStringLiteral("Timer_CheckKeys_Timer"), ErrNr::Internal),
             qPrintable(env->errors.describe()));
    // The receiver's keys are still read in the same tick, and the next tick runs.
    QCOMPARE(takeCommands(), QStringList({kVolUp}));
    player->failSearch = false;
    keys->press(175);
    main.Timer_CheckKeys_Timer();
    QCOMPARE(takeCommands(), QStringList({kVolUp}));
    QCOMPARE(env->errors.calls.size(), 1);
}

void TestKeyPolling::pollRunsFromLoadToUnload_data() {
    QTest::addColumn<bool>("waking");
    QTest::addRow("polled all the time") << false;
    QTest::addRow("resting until a key wakes it") << true;
}

void TestKeyPolling::pollRunsFromLoadToUnload() {
    QFETCH(bool, waking);
    keys->waking = waking;
    Form_Velmora &main = connected();
    QVERIFY(!main.Timer_CheckKeys->isActive());
    main.Load();
    QCOMPARE(main.Timer_CheckKeys->interval(), 10);
    main.Menu_Extras_MT_Yamaha->setChecked(true);
    if (waking) {
        // Nothing down: the poll rests, and a key of its table wakes it.
        QTRY_VERIFY(!main.Timer_CheckKeys->isActive());
        keys->press(175);
        keys->wakeUp();
    } else {
        keys->press(175);
    }
    QVERIFY(main.Timer_CheckKeys->isActive());

    // Held down across many ticks of the running timer: one step.
    QTRY_COMPARE(commandsIn(m_received).count(kVolUp), 1);
    QTest::qWait(300);
    QCOMPARE(commandsIn(m_received).count(kVolUp), 1);
    QVERIFY(keys->queried.count(175) > 5);
    keys->down.clear();
    if (waking)
        QTRY_VERIFY(!main.Timer_CheckKeys->isActive());
    else
        QVERIFY(main.Timer_CheckKeys->isActive());

    int cancel = 0;
    main.Form_Unload(cancel);
    QCOMPARE(cancel, 0);
    QVERIFY(!main.Timer_CheckKeys->isActive());
    QVERIFY(!keys->wakeUp);
}

void TestKeyPolling::toolTipsSayWhetherTheKeysCanBeRead_data() {
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("player");
    QTest::addColumn<QString>("receiver");
    QTest::addRow("keys readable")
        << true
        << "The keyboard's play/pause, stop, next and previous track keys drive the media "
           "player, whichever program is in front"
        << "The keyboard's volume up, volume down and mute keys drive the receiver, whichever "
           "program is in front";
    const QString unavailable =
        QStringLiteral("Not available on this desktop (offscreen): the "
                       "keys pressed in other programs cannot be read here");
    QTest::addRow("no global key state") << false << unavailable << unavailable;
}

void TestKeyPolling::toolTipsSayWhetherTheKeysCanBeRead() {
    QFETCH(bool, available);
    QFETCH(QString, player);
    QFETCH(QString, receiver);
    keys->available = available;
    Form_Velmora &main = Form_Velmora::instance();
    QVERIFY(main.Menu_Extras->toolTipsVisible());
    QCOMPARE(main.Menu_Extras_MT_Winamp->toolTip(), player);
    QCOMPARE(main.Menu_Extras_MT_Yamaha->toolTip(), receiver);
    // They follow the source in use when the menu opens.
    keys->available = !available;
    emit main.Menu_Extras->aboutToShow();
    QVERIFY(main.Menu_Extras_MT_Winamp->toolTip() != player);
}

QTEST_MAIN(TestKeyPolling)
#include "tst_key_polling.moc"
