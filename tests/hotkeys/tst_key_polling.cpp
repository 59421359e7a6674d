// SPDX-License-Identifier: GPL-3.0-or-later
// The media-key poll of the main window over a scripted key state and player, with the receiver
// simulator on a real pseudo-terminal: which keys are asked for, what each sends, tick order.
#include "base/RuntimeError.h"
#include "hotkeys/KeyStateSource.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "support/ScriptedPlayer.h"
#include "support/WindowSuite.h"

#include <QSet>
#include <functional>

namespace {
// Key state as the test sets it; records every key asked for.
class ScriptedKeys : public KeyStateSource {
public:
    QSet<qint32> down, pressedSince;
    QList<qint32> queried;
    bool waking = false; // says when keys change, as on X11
    std::function<void(qint32)> onQuery;
    std::function<void()> wakeUp;

    void press(qint32 key) { down << key, pressedSince << key; }
    qint16 keyState(qint32 key) override {
        queried << key;
        if (onQuery) onQuery(key);
        return qint16((down.contains(key) ? kKeyDownNow : 0) |
                      (pressedSince.remove(key) ? kKeyPressedSince : 0));
    }
    bool isAvailable() const override { return true; }
    bool canWake() const override { return waking; }
    void setWakeUp(std::function<void()> w) override { wakeUp = std::move(w); }
    bool needsPolling() override { return !down.isEmpty() || !pressedSince.isEmpty(); }
};

const QString kVolUp = "07A1A", kVolDown = "07A1B", kMuteOn = "07EA2";
} // namespace

class TestKeyPolling : public WindowSuite {
    Q_OBJECT
    ScriptedKeys *keys = nullptr;
    ScriptedPlayer *player = nullptr;
    std::unique_ptr<KeyStateSource> previousKeys;
    std::unique_ptr<PlayerBackend> previousPlayer;

    // Connected without the load sequence, the ticks driven by the test; the media-key entries.
    Form_Velmora &connectedNoLoad(bool player = false, bool receiver = false) {
        sim = std::make_unique<SimulatedReceiver>();
        Form_Velmora &main = Form_Velmora::instance();
        main.show();
        main.ConnectToYamaha(0);
        if (!QTest::qWaitFor([&] { return sim->model().state().reportsEnabled; }))
            qFatal("no reports");
        main.Timer_CheckKeys->stop();
        settledBytes(200);
        keys->queried.clear();
        return withEntries(player, receiver);
    }
    Form_Velmora &withEntries(bool player, bool receiver) {
        Form_Velmora &main = Form_Velmora::instance();
        main.Menu_Extras_MT_Winamp->setChecked(player);
        main.Menu_Extras_MT_Yamaha->setChecked(receiver);
        return main;
    }
    QStringList tick() {
        Form_Velmora::instance().Timer_CheckKeys_Timer();
        return settledCommands(150);
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        auto k = std::make_unique<ScriptedKeys>();
        keys = k.get();
        previousKeys = setKeyStateSource(std::move(k));
        auto p = std::make_unique<ScriptedPlayer>();
        player = p.get();
        previousPlayer = setPlayerBackend(std::move(p));
    }
    void cleanup() {
        env.reset();
        sim.reset();
        setKeyStateSource(std::move(previousKeys));
        setPlayerBackend(std::move(previousPlayer));
    }

    void heldKeyStepsOnlyOnFreshPresses() {
        connectedNoLoad(false, true);
        keys->press(175);
        int steps = 0;
        // Held for eight ticks, the keyboard repeating the press before ticks 4 and 7; then a
        // tap that is over before tick 9 asks for it.
        for (int t = 1; t <= 9; ++t) {
            if (t == 9) keys->down.clear();
            if (t == 4 || t == 7 || t == 9) keys->pressedSince.insert(175);
            steps += int(tick().count(kVolUp));
        }
        QCOMPARE(steps, 3);
        VERIFY_NO_ERROR_BOX();
    }

    void bothEntriesInOneTick() {
        Form_Velmora &main = connectedNoLoad(true, true);
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        player->found = 5;
        player->state = WinampStatusPlaying;
        for (qint32 key : {176 /* next track */, 174 /* volume down */, 173 /* mute */})
            keys->press(key);
        QCOMPARE(tick(), QStringList({kVolDown, kMuteOn}));
        QCOMPARE(player->posted, QList<qint32>{VelmoraWinamp_NEXTSONG});
        QCOMPARE(hWndWinamp, WinampHandle(5));
        // Keypad, player, receiver: each key asked for once.
        QCOMPARE(keys->queried, QList<qint32>({107, 109, 178, 179, 176, 177, 174, 175, 173}));
        // The keypad only counts with the main window in front, else it is not even asked for.
        keys->press(107);
        keys->press(109);
        QCOMPARE(tick(), QStringList({kVolUp, kVolDown}));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        keys->queried.clear();
        keys->press(107);
        QCOMPARE(tick(), QStringList());
        QVERIFY(!keys->queried.contains(107));
    }

    void playerKeys_data() {
        // The state the player is in, the command posted (0: none, the status lines are kept),
        // and how often the state is asked for.
        columns<qint32, qint16, qint32, QString, int>("key", "state", "command", "line2", "asked");
        const qint16 stopped = WinampStatusStopped, playing = WinampStatusPlaying;
        const qint32 pause = VelmoraWinamp_PAUSE;
        row("play/pause, playing", 179, playing, pause, "Winamp pause", 3);
        row("stop, stopped", 178, stopped, 0, "kept 2", 1);
        row("stop, playing", 178, playing, qint32(VelmoraWinamp_STOP), "Winamp stop", 1);
        row("next", 176, playing, qint32(VelmoraWinamp_NEXTSONG), "Winamp next", 0);
        row("previous", 177, playing, qint32(VelmoraWinamp_PREVSONG), "Winamp prev", 0);
    }
    void playerKeys() {
        FETCH((qint32, qint16, qint32, QString, int), key, state, command, line2, asked);
        Form_Velmora &main = withEntries(true, false);
        main.Line1->setText("kept 1");
        main.Line2->setText("kept 2");
        player->found = 9;
        player->state = state;
        keys->press(key);
        main.Timer_CheckKeys_Timer();
        const QList<qint32> posted = command ? QList<qint32>{command} : QList<qint32>{};
        QCOMPARE(player->posted, posted);
        QCOMPARE(main.Line1->text() + '|' + main.Line2->text(),
                 (command ? "|" : "kept 1|") + line2);
        QCOMPARE(player->statusRequests, asked);
        main.Timer_CheckKeys_Timer(); // held on: nothing more
        QCOMPARE(player->posted, posted);
    }

    void keysOfInactiveBranchesAreNotAskedFor_data() {
        columns<bool, bool, WinampHandle, QList<qint32>>("playerEntry", "receiverEntry", "running",
                                                         "asked");
        const QList<qint32> none, playerKeys{178, 179, 176, 177}, receiverKeys{174, 175, 173};
        row("neither entry", false, false, WinampHandle(3), none);
        row("receiver only", false, true, WinampHandle(3), receiverKeys);
        row("player only", true, false, WinampHandle(3), playerKeys);
        row("player entry, no player", true, false, WinampHandle(0), none);
        row("both, no player", true, true, WinampHandle(0), receiverKeys);
    }
    void keysOfInactiveBranchesAreNotAskedFor() {
        FETCH((bool, bool, WinampHandle, QList<qint32>), playerEntry, receiverEntry, running,
              asked);
        Form_Velmora &main = withEntries(playerEntry, receiverEntry);
        player->found = running;
        hWndWinamp = 77; // a player found earlier and closed since
        main.Timer_CheckKeys_Timer();
        QCOMPARE(keys->queried, asked);
        QCOMPARE(player->searches, int(playerEntry));
        // The search of every tick replaces what was found earlier.
        QCOMPARE(hWndWinamp, playerEntry ? running : WinampHandle(77));
        QVERIFY(player->posted.isEmpty() && player->statusRequests == 0);
    }

    void ticksDuringAnExchangeOrATickAreSkipped() {
        Form_Velmora &main = connectedNoLoad(false, true);
        keys->press(175);
        // The port poll lets the tick run while it reads: the press is left for later.
        Form_Com::instance().Com->Tag = "1";
        main.Timer_CheckKeys_Timer();
        Form_Com::instance().Com->Tag = "0";
        QVERIFY(keys->queried.isEmpty());
        keys->onQuery = [&](qint32 key) { // a tick while this one is busy reading a key
            if (key == 175) main.Timer_CheckKeys_Timer();
        };
        QCOMPARE(tick(), QStringList{kVolUp});
        QCOMPARE(keys->queried.mid(keys->queried.indexOf(174)), QList<qint32>({174, 175, 173}));
    }

    void failureGoesToTheErrorBoxAndTheTickGoesOn() {
        connectedNoLoad(true, true);
        player->failSearch = true;
        keys->press(175);
        QCOMPARE(tick(), QStringList({kVolUp})); // the receiver's keys are still read
        QVERIFY2(env->errors.calls.size() == 1 &&
                     env->errors.contains("Form_Velmora", "Timer_CheckKeys_Timer", ErrNr::Internal),
                 qPrintable(env->errors.describe()));
    }

    void pollRunsFromLoadToUnload_data() {
        columns<bool>("waking");
        row("polled all the time", false);
        row("resting until a key wakes it", true);
    }
    void pollRunsFromLoadToUnload() {
        QFETCH(bool, waking);
        keys->waking = waking;
        Form_Velmora &main = connectedNoLoad();
        QVERIFY(!main.Timer_CheckKeys->isActive());
        main.Load();
        withEntries(false, true);
        if (waking) QTRY_VERIFY(!main.Timer_CheckKeys->isActive());
        keys->press(175);
        if (waking) keys->wakeUp();
        QVERIFY(main.Timer_CheckKeys->isActive());
        // Held down across many ticks of the running timer: one step.
        QCOMPARE(settledCommands(), QStringList{kVolUp});
        QVERIFY(keys->queried.count(175) > 5);
        keys->down.clear();
        QTRY_COMPARE(main.Timer_CheckKeys->isActive(), !waking);
        int cancel = 0;
        main.Form_Unload(cancel);
        QVERIFY(!main.Timer_CheckKeys->isActive() && !keys->wakeUp);
    }
};

QTEST_MAIN(TestKeyPolling)
#include "tst_key_polling.moc"
