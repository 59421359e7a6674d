// SPDX-License-Identifier: GPL-3.0-or-later
// A real media player for tests: mpv with its MPRIS script, playing short silent tracks that
// it writes itself, on the current session bus.
#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>

class MpvPlayer {
public:
    struct Track { // tags of one generated track; an untagged one goes by its file name
        QString title;
        QString artist;
    };

    // Starts mpv looping the tracks, until it plays the first on the bus; then check isReady().
    explicit MpvPlayer(const QList<Track> &tracks);
    // Tracks "Track n" by "Artist n", n counting from 1.
    explicit MpvPlayer(int trackCount = 3);
    ~MpvPlayer() { stop(); }
    MpvPlayer(const MpvPlayer &) = delete;
    MpvPlayer &operator=(const MpvPlayer &) = delete;

    static bool mpvInstalled();
    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    QString busName() const { return m_busName; } // org.mpris.MediaPlayer2.*
    // The title the program shows for track n (from 1): "artist - title", title, or file name.
    QString displayTitle(int n) const;

    // A property of its org.mpris.MediaPlayer2.Player interface; invalid without an answer.
    QVariant playerProperty(const QString &name) const;
    bool setPlayerProperty(const QString &name, const QVariant &value) const;
    QString trackTitle() const; // xesam:title of the track loaded
    QString status() const { return playerProperty("PlaybackStatus").toString(); }
    double position() const { return playerProperty("Position").toLongLong() / 1e6; } // seconds
    // Stops the process or lets it go on: a frozen player stays on the bus, answering nothing.
    void freeze(bool frozen);
    bool waitForExit() { // for the player to end by itself
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(10000);
    }
    void stop();

private:
    QString trackFile(int n) const;
    bool waitFor(const std::function<bool()> &condition, int timeoutMs);

    QList<Track> m_tracks;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_busName;
    QString m_error;
    bool m_frozen = false;
};

// Starts a player in a test function, or ends the test; only a missing mpv skips.
#define START_PLAYER(player, ...)                                                                  \
    if (!MpvPlayer::mpvInstalled()) QSKIP("mpv is not installed");                                 \
    MpvPlayer player{__VA_ARGS__};                                                                 \
    QVERIFY2(player.isReady(), qPrintable(player.errorString()))
