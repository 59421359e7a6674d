// Starts mpv with its MPRIS script on generated silent tracks and ends it again.
#include "MpvPlayer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

namespace {

const QString kNamePrefix = QStringLiteral("org.mpris.MediaPlayer2.");

// Long enough that no test runs into the next track by itself.
constexpr int kTrackSeconds = 120;
constexpr int kSampleRate = 8000; // mono, 8 bit: 8000 bytes a second

void appendLe32(QByteArray &bytes, quint32 v) {
    const quint32 le = qToLittleEndian(v);
    bytes.append(reinterpret_cast<const char *>(&le), 4);
}

void appendLe16(QByteArray &bytes, quint16 v) {
    const quint16 le = qToLittleEndian(v);
    bytes.append(reinterpret_cast<const char *>(&le), 2);
}

QByteArray chunk(const char *id, const QByteArray &body) {
    QByteArray bytes(id, 4);
    appendLe32(bytes, quint32(body.size()));
    bytes += body;
    if (body.size() % 2) bytes += '\0'; // chunks are word-aligned
    return bytes;
}

// A RIFF INFO list with the title (INAM) and artist (IART); mpv reads both as tags.
QByteArray infoList(const MpvPlayer::Track &track) {
    QByteArray body("INFO");
    if (!track.title.isEmpty()) body += chunk("INAM", track.title.toUtf8() + '\0');
    if (!track.artist.isEmpty()) body += chunk("IART", track.artist.toUtf8() + '\0');
    return chunk("LIST", body);
}

QDBusMessage askBus(const QString &method, const QVariantList &arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
}

} // namespace

QList<MpvPlayer::Track> MpvPlayer::numberedTracks(int count) {
    QList<Track> tracks;
    for (int n = 1; n <= count; ++n)
        tracks << Track{QStringLiteral("Track %1").arg(n), QStringLiteral("Artist %1").arg(n)};
    return tracks;
}

bool MpvPlayer::mpvInstalled() {
    return !QStandardPaths::findExecutable("mpv").isEmpty();
}

QString MpvPlayer::mprisScript() {
    const QString configured = qEnvironmentVariable("VELMORA_MPV_MPRIS");
    if (!configured.isEmpty()) return QFileInfo::exists(configured) ? configured : QString();
    // Debian puts it under /usr/lib and links it into /etc/mpv/scripts, which --no-config
    // skips, so the script is always named on the command line.
    for (const char *candidate :
         {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so",
          "/usr/lib/x86_64-linux-gnu/mpv-mpris/mpris.so", "/usr/local/lib/mpv-mpris/mpris.so"})
        if (QFileInfo::exists(QString::fromLatin1(candidate)))
            return QString::fromLatin1(candidate);
    return QString();
}

MpvPlayer::MpvPlayer(const QList<Track> &tracks) : m_tracks(tracks) {
    const QString script = mprisScript();
    if (!mpvInstalled()) {
        m_error = QStringLiteral("mpv is not installed");
        return;
    }
    if (script.isEmpty()) {
        m_error = QStringLiteral("the mpv MPRIS script (mpris.so) is not installed");
        return;
    }
    if (!QDBusConnection::sessionBus().isConnected()) {
        m_error = QStringLiteral("no session bus");
        return;
    }
    if (!m_dir.isValid() || m_tracks.isEmpty()) {
        m_error = QStringLiteral("no tracks written");
        return;
    }
    QStringList arguments{QStringLiteral("--no-config"), QStringLiteral("--no-terminal"),
                          QStringLiteral("--no-video"), QStringLiteral("--ao=null"),
                          // A stopped player stays on the bus, as a stopped Winamp stays open.
                          QStringLiteral("--idle=yes"), QStringLiteral("--loop-playlist=inf"),
                          QStringLiteral("--script=") + script};
    for (int n = 1; n <= m_tracks.size(); ++n) {
        if (!writeTrack(trackFile(n), m_tracks.at(n - 1))) {
            m_error = QStringLiteral("cannot write ") + trackFile(n);
            return;
        }
        arguments << trackFile(n);
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("mpv"), arguments);
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("mpv did not start: ") + m_process.errorString();
        return;
    }
    if (!waitUntilOnBus(15000)) {
        m_error = QStringLiteral("mpv did not appear on the session bus");
        stop();
        return;
    }
    if (!waitUntilPlaying(10000)) {
        m_error = QStringLiteral("mpv did not start playing");
        stop();
        return;
    }
    m_ready = true;
}

MpvPlayer::~MpvPlayer() {
    stop();
}

QString MpvPlayer::trackFile(int n) const {
    return m_dir.filePath(QStringLiteral("track%1.wav").arg(n));
}

QString MpvPlayer::displayTitle(int n) const {
    const Track &t = m_tracks.at(n - 1);
    if (t.title.isEmpty()) return QFileInfo(trackFile(n)).fileName();
    return t.artist.isEmpty() ? t.title : t.artist + QStringLiteral(" - ") + t.title;
}

bool MpvPlayer::writeTrack(const QString &path, const Track &track) const {
    QByteArray format;
    appendLe16(format, 1); // PCM
    appendLe16(format, 1); // mono
    appendLe32(format, kSampleRate);
    appendLe32(format, kSampleRate); // bytes per second
    appendLe16(format, 1);           // bytes per frame
    appendLe16(format, 8);           // bits per sample
    QByteArray body("WAVE");
    body += chunk("fmt ", format);
    if (!track.title.isEmpty() || !track.artist.isEmpty()) body += infoList(track);
    body += chunk("data", QByteArray(kTrackSeconds * kSampleRate, char(0x80))); // silence
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(chunk("RIFF", body)) > 0;
}

bool MpvPlayer::waitUntilOnBus(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const auto pid = quint32(m_process.processId());
    while (!deadline.hasExpired() && isRunning()) {
        const QDBusMessage names = askBus(QStringLiteral("ListNames"), {});
        for (const QString &name : names.arguments().value(0).toStringList()) {
            if (!name.startsWith(kNamePrefix)) continue;
            const QDBusMessage owner = askBus(QStringLiteral("GetConnectionUnixProcessID"), {name});
            if (owner.arguments().value(0).toUInt() == pid) {
                m_busName = name;
                return true;
            }
        }
        QThread::msleep(50);
    }
    return false;
}

bool MpvPlayer::waitUntilPlaying(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const QString expected = m_tracks.constFirst().title.isEmpty()
                                 ? QFileInfo(trackFile(1)).fileName()
                                 : m_tracks.constFirst().title;
    while (!deadline.hasExpired() && isRunning()) {
        // The tags are read a moment after playback has begun; until then the player names the
        // track by its file.
        if (playerProperty(QStringLiteral("PlaybackStatus")).toString() ==
                QLatin1String("Playing") &&
            trackTitle() == expected)
            return true;
        QThread::msleep(50);
    }
    return false;
}

QVariant MpvPlayer::playerProperty(const QString &name) const {
    if (m_busName.isEmpty()) return QVariant();
    QDBusMessage get = QDBusMessage::createMethodCall(
        m_busName, QStringLiteral("/org/mpris/MediaPlayer2"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.mpris.MediaPlayer2.Player") << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage) return QVariant();
    return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
}

QString MpvPlayer::trackTitle() const {
    const QVariant metadata = playerProperty(QStringLiteral("Metadata"));
    if (metadata.userType() != qMetaTypeId<QDBusArgument>()) return QString();
    QVariantMap map;
    qvariant_cast<QDBusArgument>(metadata) >> map;
    return map.value(QStringLiteral("xesam:title")).toString();
}

bool MpvPlayer::waitForExit(int timeoutMs) {
    return !isRunning() || m_process.waitForFinished(timeoutMs);
}

void MpvPlayer::stop() {
    if (!isRunning()) return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
