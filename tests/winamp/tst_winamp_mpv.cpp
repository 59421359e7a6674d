// SPDX-License-Identifier: GPL-3.0-or-later
// The player remote against a real player: mpv with its MPRIS script on a private session bus.
// Commands, play states, titles, seeking, volume steps and a player that ends.
#include "support/DataRows.h"
#include "support/MpvPlayer.h"
#include "winamp/Modul_Winamp.h"
#include "winamp/MprisPlayerBackend.h"

namespace {
constexpr int kSettleMs = 8000; // for the player to carry out a posted command
}

class TestWinampMpv : public QObject {
    Q_OBJECT
    std::unique_ptr<PlayerBackend> m_previous;

private Q_SLOTS:
    void init() {
        m_previous = setPlayerBackend(std::make_unique<MprisPlayerBackend>());
        hWndWinamp = 0;
    }
    void cleanup() { setPlayerBackend(std::move(m_previous)); } // init forgets the handle

    void transport_data() {
        // Commands posted one after the other to a player that plays track 1; after each, the
        // play state and the track (0: none loaded) it should reach.
        columns<QList<int>, QList<int>, QList<int>>("commands", "statuses", "tracks");
        row("pause and resume", QList<int>{40046, 40046}, QList<int>{3, 1}, QList<int>{1, 1});
        row("play a paused player", QList<int>{40046, 40045}, QList<int>{3, 1}, QList<int>{1, 1});
        row("next and previous", QList<int>{40048, 40048, 40198}, QList<int>{1, 1, 1},
            QList<int>{2, 3, 2});
        row("previous from the first track wraps", QList<int>{40198}, QList<int>{1}, QList<int>{3});
        row("stop", QList<int>{40046, 40047}, QList<int>{3, 0}, QList<int>{1, 0});
    }
    void transport() {
        FETCH((QList<int>, QList<int>, QList<int>), commands, statuses, tracks);
        START_PLAYER(player, 3);
        QCOMPARE(GetWinampStatus(), qint16(0)); // nothing found yet, and it does not search
        // The title display searches on its own and keeps what it found to itself.
        QCOMPARE(GetWinampTitle(), player.displayTitle(1));
        QCOMPARE(hWndWinamp, WinampHandle(0));
        for (int i = 0; i < commands.size(); ++i) {
            WinampCommand(commands.at(i)); // the first one finds the player
            QVERIFY(hWndWinamp != 0);
            const QString title = tracks.at(i) == 0 ? QString() : player.displayTitle(tracks.at(i));
            QTRY_COMPARE_WITH_TIMEOUT(GetWinampStatus(), qint16(statuses.at(i)), kSettleMs);
            QTRY_COMPARE_WITH_TIMEOUT(GetWinampTitle(), title, kSettleMs);
        }
    }

    void titles() {
        // The window text ends in " - Winamp", which the display takes out wherever it stands,
        // in any case, but only with one blank on each side of the dash.
        START_PLAYER(player, QList<MpvPlayer::Track>{{"Morning", "Aurora"},
                                                     {"Noon - WINAMP Mix - winamp", ""},
                                                     {"Winamp 2.91  -  Winamp", ""},
                                                     {"", ""}});
        RefreshWinamp();
        QCOMPARE(GetWindowTitle(hWndWinamp), "Aurora - Morning - Winamp");
        QCOMPARE(GetWinampTitle(), "Aurora - Morning");
        for (const char *shown : {"Noon Mix", "Winamp 2.91  -  Winamp", "track4.wav"}) {
            WinampCommand(VelmoraWinamp_NEXTSONG); // an untagged track goes by its file name
            QTRY_COMPARE_WITH_TIMEOUT(GetWinampTitle(), shown, kSettleMs);
        }
    }

    void seekAndVolumeSteps() {
        START_PLAYER(player, 1);
        RefreshWinamp();
        // Playback goes on meanwhile, so the position only moves further forward than the step.
        double before = player.position();
        WinampCommand(VelmoraWinamp_FFWDSS);
        WinampCommand(VelmoraWinamp_FFWDSS);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= before + 10, kSettleMs);
        before = player.position();
        WinampCommand(VelmoraWinamp_REW5S);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() < before - 2, kSettleMs);
        QVERIFY(player.position() > before - 6);

        // Steps of 0.05, each from the volume read afresh; not past full nor below silence, and
        // a volume set above full is kept and steps down from there.
        const auto volume = [&] { return player.playerProperty("Volume").toDouble(); };
        const std::tuple<double, int, double> steps[] = {
            {1.0, VelmoraWinamp_VOLUMEDOWN, 0.95}, {-1, VelmoraWinamp_VOLUMEDOWN, 0.90},
            {-1, VelmoraWinamp_VOLUMEUP, 0.95},    {0.98, VelmoraWinamp_VOLUMEUP, 1.0},
            {0.02, VelmoraWinamp_VOLUMEDOWN, 0.0}, {1.2, VelmoraWinamp_VOLUMEUP, 1.2},
            {-1, VelmoraWinamp_VOLUMEDOWN, 1.15}};
        for (const auto &[from, id, expected] : steps) {
            if (from >= 0) QVERIFY(player.setPlayerProperty("Volume", from));
            WinampCommand(id);
            QTRY_VERIFY2_WITH_TIMEOUT(qAbs(volume() - expected) < 0.001,
                                      qPrintable(QString::number(volume())), kSettleMs);
        }
        QCOMPARE(GetWinampStatus(), qint16(1));
    }

    void playerEnds_data() {
        columns<bool>("byCommand"); // quit command, or the process ends
        row("quit command", true);
        row("player killed", false);
    }
    void playerEnds() {
        QFETCH(bool, byCommand);
        WinampHandle stale = 0;
        {
            START_PLAYER(player, 2);
            stale = RefreshWinamp();
            QCOMPARE(GetWinampStatus(), qint16(1));
            if (byCommand)
                WinampCommand(VelmoraWinamp_QUIT);
            else
                player.stop();
            QVERIFY2(player.waitForExit(), "the player did not quit");
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
        QVERIFY(fresh != 0 && fresh != stale);
        QCOMPARE(GetWinampStatus(), qint16(0));
        WinampCommand(VelmoraWinamp_PAUSE); // to the stale handle: the new player keeps playing
        hWndWinamp = fresh;
        QTest::qWait(300);
        QCOMPARE(GetWinampStatus(), qint16(1));
    }
};

QTEST_GUILESS_MAIN(TestWinampMpv)
#include "tst_winamp_mpv.moc"
