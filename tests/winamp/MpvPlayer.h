// A real media player for tests: mpv with its MPRIS script, playing short silent tracks that
// it writes itself, on the current session bus.
#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

class MpvPlayer {
public:
    // Tags of one generated track; a track without title and artist carries no tags, so the
    // player names it by its file name.
    struct Track {
        QString title;
        QString artist;
    };

    // Tracks "Track n" by "Artist n", n counting from 1.
    static QList<Track> numberedTracks(int count);

    // Starts mpv on the tracks, looping the playlist, and waits until it is on the bus and
    // playing the first track. Check isReady() afterwards.
    explicit MpvPlayer(const QList<Track> &tracks = numberedTracks(3));
    explicit MpvPlayer(int trackCount) : MpvPlayer(numberedTracks(trackCount)) {}
    // Stops the player if it still runs.
    ~MpvPlayer();
    MpvPlayer(const MpvPlayer &) = delete;
    MpvPlayer &operator=(const MpvPlayer &) = delete;

    // Whether mpv can be started at all; suites skip without it.
    static bool mpvInstalled();
    // Where the MPRIS script is (VELMORA_MPV_MPRIS, then the usual places); "" when absent.
    static QString mprisScript();

    bool isReady() const { return m_ready; }
    // Why the player is not ready.
    QString errorString() const { return m_error; }
    // The player's org.mpris.MediaPlayer2.* name.
    QString busName() const { return m_busName; }
    // The generated file of track n (from 1).
    QString trackFile(int n) const;
    // The title the program shows for track n: "artist - title", the title alone, or the file
    // name for an untagged track.
    QString displayTitle(int n) const;

    // A property of the player's org.mpris.MediaPlayer2.Player interface (Position, Volume,
    // PlaybackStatus, ...); invalid when the player does not answer.
    QVariant playerProperty(const QString &name) const;
    // xesam:title of the track the player has loaded.
    QString trackTitle() const;

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Waits for the player to end by itself.
    bool waitForExit(int timeoutMs = 10000);
    // Ends the player and waits for it.
    void stop();

private:
    bool writeTrack(const QString &path, const Track &track) const;
    bool waitUntilOnBus(int timeoutMs);
    bool waitUntilPlaying(int timeoutMs);

    QList<Track> m_tracks;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_busName;
    QString m_error;
    bool m_ready = false;
};
