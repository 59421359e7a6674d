// SPDX-License-Identifier: GPL-3.0-or-later
// The MPRIS back-end where a player behaves unlike the one of tst_winamp_mpv: metadata in other
// shapes, a player that answers nothing, two players. Players are mpv on a private session bus.
#include "support/DataRows.h"
#include "support/MpvPlayer.h"
#include "winamp/Modul_Winamp.h"
#include "winamp/MprisPlayerBackend.h"

#include <QElapsedTimer>

class TestWinampMpris : public QObject {
    Q_OBJECT
    std::unique_ptr<PlayerBackend> m_previous;

private Q_SLOTS:
    void init() {
        // A fresh back-end each time, so no handle carries over from an earlier test.
        m_previous = setPlayerBackend(std::make_unique<MprisPlayerBackend>());
        hWndWinamp = 0;
    }
    void cleanup() { setPlayerBackend(std::move(m_previous)); } // init forgets the handle

    // As other players send it; "" for no title.
    void titleFromMetadata_data() {
        columns<QVariantMap, QString>("metadata", "title");
        row("two artists",
            QVariantMap{{"xesam:artist", QStringList{"A", " B "}}, {"xesam:title", "Song"}},
            "A, B - Song");
        row("artist as a single text",
            QVariantMap{{"xesam:artist", "Solo"}, {"xesam:title", "Song"}}, "Solo - Song");
        row("empty artist list",
            QVariantMap{{"xesam:artist", QStringList{""}}, {"xesam:title", "Song"}}, "Song");
        row("file name when the title is blank",
            QVariantMap{{"xesam:title", "  "}, {"xesam:url", "file:///music/My%20b.ogg"}},
            "My b.ogg");
        row("stream without a file name", QVariantMap{{"xesam:url", "http://radio.example/"}}, "");
    }
    void titleFromMetadata() {
        FETCH((QVariantMap, QString), metadata, title);
        QCOMPARE(MprisPlayerBackend::titleFromMetadata(metadata),
                 title.isEmpty() ? title : title + " - Winamp");
    }

    void silentPlayerAndCommandsWithoutCounterpart() {
        START_PLAYER(player, 3);
        RefreshWinamp();
        QVERIFY(hWndWinamp != 0);
        player.freeze(true);
        // The status request gives up after a second, and commands are not waited for: a
        // blocking call would take the bus's 25 s default. The bound is kept generous.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(GetWinampStatus(), qint16(0));
        QCOMPARE(GetWinampTitle(), QString());
        for (qint32 id : {qint32(VelmoraWinamp_HELP_ABOUT), 12345, -1, 40048 /* next track */})
            WinampCommand(id);
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        // Carried out in the order they were posted, those without a counterpart doing nothing.
        player.freeze(false);
        QTRY_COMPARE(player.trackTitle(), "Track 2");
        QTest::qWait(300);
        QCOMPARE(player.trackTitle(), "Track 2");
        QCOMPARE(GetWinampStatus(), qint16(1));
    }

    void firstPlayerByName() {
        START_PLAYER(one, QList<MpvPlayer::Track>{{"One", ""}});
        START_PLAYER(two, QList<MpvPlayer::Track>{{"Two", ""}});
        MpvPlayer &first = one.busName() < two.busName() ? one : two;
        MpvPlayer &other = &first == &one ? two : one;
        const WinampHandle found = FindWinamp();
        QVERIFY(found != 0);
        QCOMPARE(FindWinamp(), found); // the same player keeps its handle
        QCOMPARE(GetWinampTitle(), first.displayTitle(1));
        // When it ends, the other player is found under a handle of its own.
        first.stop();
        QTRY_VERIFY(FindWinamp() != found);
        QVERIFY(FindWinamp() != 0);
        QCOMPARE(GetWinampTitle(), other.displayTitle(1));
    }
};

QTEST_GUILESS_MAIN(TestWinampMpris)
#include "tst_winamp_mpris.moc"
