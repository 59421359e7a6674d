// The player remote against a real player: mpv with its MPRIS script on a private session bus.
#include "MpvPlayer.h"

#include "winamp/Modul_Winamp.h"
#include "winamp/MprisPlayerBackend.h"

#include <QTest>

namespace {

constexpr int kSettleMs = 8000; // for the player to carry out a posted command

// Starts a player or ends the test; only a missing mpv skips.
#define START_PLAYER(player, ...)                                                                  \
    if (!MpvPlayer::mpvInstalled()) QSKIP("mpv is not installed");                                 \
    MpvPlayer player{__VA_ARGS__};                                                                 \
    QVERIFY2(player.isReady(), qPrintable(player.errorString()))

qint64 positionUs(const MpvPlayer &player) {
    return player.playerProperty(QStringLiteral("Position")).toLongLong();
}

} // namespace

class TestWinampMpv : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void transport_data();
    void transport();
    void titles();
    void seekForwardAndBack();
    void volumeSteps();
    void playerEnds_data();
    void playerEnds();

private:
    std::unique_ptr<PlayerBackend> m_previous;
};

void TestWinampMpv::init() {
    m_previous = setPlayerBackend(std::make_unique<MprisPlayerBackend>());
    hWndWinamp = 0;
}

void TestWinampMpv::cleanup() {
    setPlayerBackend(std::move(m_previous));
    hWndWinamp = 0;
}

void TestWinampMpv::transport_data() {
    // Commands posted one after the other to a player that plays track 1; after each, the
    // play state and the track (0: none loaded) it should reach.
    QTest::addColumn<QList<int>>("commands");
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QList<int>>("tracks");
    QTest::addRow("pause and resume")
        << QList<int>{40046, 40046} << QList<int>{3, 1} << QList<int>{1, 1};
    QTest::addRow("play a paused player")
        << QList<int>{40046, 40045} << QList<int>{3, 1} << QList<int>{1, 1};
    QTest::addRow("next and previous")
        << QList<int>{40048, 40048, 40198} << QList<int>{1, 1, 1} << QList<int>{2, 3, 2};
    QTest::addRow("previous from the first track wraps")
        << QList<int>{40198} << QList<int>{1} << QList<int>{3};
    QTest::addRow("stop") << QList<int>{40046, 40047} << QList<int>{3, 0} << QList<int>{1, 0};
}

void TestWinampMpv::transport() {
    QFETCH(QList<int>, commands);
    QFETCH(QList<int>, statuses);
    QFETCH(QList<int>, tracks);
    START_PLAYER(player, 3);

    QCOMPARE(GetWinampStatus(), qint16(0)); // nothing found yet, and it does not search
    QCOMPARE(GetWinampTitle(), player.displayTitle(1));
    for (int i = 0; i < commands.size(); ++i) {
        WinampCommand(commands.at(i)); // the first one finds the player
        QVERIFY(hWndWinamp != 0);
        const QString title = tracks.at(i) == 0 ? QString() : player.displayTitle(tracks.at(i));
        QTRY_COMPARE_WITH_TIMEOUT(GetWinampStatus(), qint16(statuses.at(i)), kSettleMs);
        QTRY_COMPARE_WITH_TIMEOUT(GetWinampTitle(), title, kSettleMs);
    }
}

void TestWinampMpv::titles() {
    // Tagged with artist, tagged with a title only, untagged.
    START_PLAYER(player,
                 QList<MpvPlayer::Track>{{QStringLiteral("Morning"), QStringLiteral("Aurora")},
                                         {QStringLiteral("Noon - Winamp Mix"), QString()},
                                         {QString(), QString()}});
    hWndWinamp = FindWinamp();
    QCOMPARE(GetWindowTitle(hWndWinamp), QStringLiteral("Aurora - Morning - Winamp"));
    QCOMPARE(GetWinampTitle(), QStringLiteral("Aurora - Morning"));
    WinampCommand(VelmoraWinamp_NEXTSONG);
    QTRY_COMPARE_WITH_TIMEOUT(GetWinampTitle(), QStringLiteral("Noon Mix"), kSettleMs);
    WinampCommand(VelmoraWinamp_NEXTSONG);
    QTRY_COMPARE_WITH_TIMEOUT(GetWinampTitle(), QStringLiteral("track3.wav"), kSettleMs);
}

void TestWinampMpv::seekForwardAndBack() {
    START_PLAYER(player, 1);
    hWndWinamp = FindWinamp();
    QTRY_VERIFY(player.playerProperty(QStringLiteral("Position")).isValid());

    // Playback goes on meanwhile, so the position only moves further forward than the step.
    qint64 before = positionUs(player);
    WinampCommand(VelmoraWinamp_FFWDSS);
    WinampCommand(VelmoraWinamp_FFWDSS);
    QTRY_VERIFY_WITH_TIMEOUT(positionUs(player) >= before + 10'000'000, kSettleMs);

    before = positionUs(player);
    WinampCommand(VelmoraWinamp_REW5S);
    QTRY_VERIFY_WITH_TIMEOUT(positionUs(player) < before - 2'000'000, kSettleMs);
    QVERIFY(positionUs(player) > before - 6'000'000);
    QCOMPARE(GetWinampStatus(), qint16(1));
}

void TestWinampMpv::volumeSteps() {
    START_PLAYER(player, 1);
    const auto volume = [&] { return player.playerProperty(QStringLiteral("Volume")).toDouble(); };
    const auto near = [](double a, double b) { return qAbs(a - b) < 0.001; };
    QVERIFY(near(volume(), 1.0));

    WinampCommand(VelmoraWinamp_VOLUMEDOWN);
    QTRY_VERIFY_WITH_TIMEOUT(near(volume(), 0.95), kSettleMs);
    WinampCommand(VelmoraWinamp_VOLUMEDOWN);
    QTRY_VERIFY_WITH_TIMEOUT(near(volume(), 0.90), kSettleMs);
    WinampCommand(VelmoraWinamp_VOLUMEUP);
    QTRY_VERIFY_WITH_TIMEOUT(near(volume(), 0.95), kSettleMs);
    WinampCommand(VelmoraWinamp_VOLUMEUP);
    WinampCommand(VelmoraWinamp_VOLUMEUP); // not past full
    QTRY_VERIFY_WITH_TIMEOUT(near(volume(), 1.0), kSettleMs);
    QTest::qWait(300);
    QVERIFY(near(volume(), 1.0));
}

void TestWinampMpv::playerEnds_data() {
    QTest::addColumn<bool>("byCommand"); // quit command, or the process ends
    QTest::addRow("quit command") << true;
    QTest::addRow("player killed") << false;
}

void TestWinampMpv::playerEnds() {
    QFETCH(bool, byCommand);
    if (!MpvPlayer::mpvInstalled()) QSKIP("mpv is not installed");
    WinampHandle stale = 0;
    {
        START_PLAYER(player, 2);
        hWndWinamp = FindWinamp();
        stale = hWndWinamp;
        QVERIFY(stale != 0);
        QCOMPARE(GetWinampStatus(), qint16(1));
        if (byCommand) {
            WinampCommand(VelmoraWinamp_QUIT);
            QVERIFY2(player.waitForExit(), "the player did not quit");
        } else {
            player.stop();
        }
    }
    // The kept handle is stale: no state, no title, commands go nowhere, and it stays kept.
    QTRY_COMPARE_WITH_TIMEOUT(GetWinampStatus(), qint16(0), kSettleMs);
    QCOMPARE(GetWindowTitle(hWndWinamp), QString());
    WinampCommand(VelmoraWinamp_JMP_STARTPOS);
    QCOMPARE(hWndWinamp, stale);
    QTRY_COMPARE_WITH_TIMEOUT(FindWinamp(), WinampHandle(0), kSettleMs);
    QCOMPARE(GetWinampTitle(), QString());

    // A new player under the same bus name is a different player: the old handle stays stale.
    START_PLAYER(next, 2);
    const WinampHandle fresh = FindWinamp();
    QVERIFY(fresh != 0);
    QVERIFY(fresh != stale);
    QCOMPARE(GetWinampStatus(), qint16(0));
    WinampCommand(VelmoraWinamp_PAUSE); // to the stale handle: the new player keeps playing
    hWndWinamp = fresh;
    QCOMPARE(GetWinampStatus(), qint16(1));
    QTest::qWait(300);
    QCOMPARE(GetWinampStatus(), qint16(1));
}

QTEST_GUILESS_MAIN(TestWinampMpv)
#include "tst_winamp_mpv.moc"
