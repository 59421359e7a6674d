// SPDX-License-Identifier: GPL-3.0-or-later
// The player step of the media-player remote: what a play, pause or stop wish posts in each play
// state, for a player that takes commands in order and for one that answers first.
#include "support/DataRows.h"
#include "support/ScriptedPlayer.h"

Q_DECLARE_METATYPE(WinampWish)

class TestWinampStep : public QObject {
    Q_OBJECT
    ScriptedPlayer *player = nullptr;
    std::unique_ptr<PlayerBackend> previous;

private Q_SLOTS:
    void init() {
        auto p = std::make_unique<ScriptedPlayer>();
        player = p.get();
        player->found = 9;
        previous = setPlayerBackend(std::move(p));
        RefreshWinamp();
    }
    void cleanup() { setPlayerBackend(std::move(previous)); }

    void step_data() {
        // The command posted (0: none) with its status-line words, and how often the state is
        // asked for: once for each test the wish makes, whether or not it posts.
        columns<WinampWish, qint16, qint32, QString, int>("wish", "state", "command", "text",
                                                          "asked");
        const qint16 stopped = WinampStatusStopped, playing = WinampStatusPlaying,
                     paused = WinampStatusPaused;
        const qint32 start = VelmoraWinamp_JMP_STARTPOS, pause = VelmoraWinamp_PAUSE,
                     stop = VelmoraWinamp_STOP;
        const auto play = WinampWish::Play, both = WinampWish::PlayPause;
        row("play, stopped: starts", play, stopped, start, "Winamp play", 2);
        row("play, paused: resumes", play, paused, pause, "Winamp play", 2);
        row("play, playing: nothing", play, playing, 0, "", 2);
        row("play/pause, stopped: starts", both, stopped, start, "Winamp play", 3);
        row("play/pause, playing: pauses", both, playing, pause, "Winamp pause", 3);
        row("play/pause, paused: resumes", both, paused, pause, "Winamp play", 3);
        row("pause, playing", WinampWish::Pause, playing, pause, "Winamp pause", 1);
        row("pause, paused: nothing", WinampWish::Pause, paused, 0, "", 1);
        row("stop, playing", WinampWish::Stop, playing, stop, "Winamp stop", 1);
        row("stop, stopped: nothing", WinampWish::Stop, stopped, 0, "", 1);
    }
    void step() {
        FETCH((WinampWish, qint16, qint32, QString, int), wish, state, command, text, asked);
        const QList<qint32> posted = command ? QList<qint32>{command} : QList<qint32>{};
        for (bool atOnce : {false, true}) {
            player->state = state;
            player->actsAtOnce = atOnce;
            player->posted.clear();
            player->statusRequests = 0;
            const WinampStep done = WinampPlayStep(wish);
            QCOMPARE(done.command, command);
            QCOMPARE(done.text, text);
            QCOMPARE(player->posted, posted);
            QCOMPARE(player->statusRequests, asked);
        }
    }
};

QTEST_GUILESS_MAIN(TestWinampStep)
#include "tst_winamp_step.moc"
