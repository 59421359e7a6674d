// SPDX-License-Identifier: GPL-3.0-or-later
// Starts mpv with its MPRIS script on generated silent tracks and ends it again.
#include "MpvPlayer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <csignal>

namespace {
QByteArray chunk(const char *id, const QByteArray &body) {
    const quint32 size = qToLittleEndian(quint32(body.size()));
    return QByteArray(id, 4) + QByteArray(reinterpret_cast<const char *>(&size), 4) + body +
           QByteArray(body.size() % 2, '\0');
}

// Two minutes of silence (PCM, mono, 8000 8-bit samples a second), long enough that no test runs
// into the next track, with a RIFF INFO list of title (INAM) and artist (IART), which mpv reads.
QByteArray wave(const MpvPlayer::Track &track) {
    QByteArray info("INFO");
    if (!track.title.isEmpty()) info += chunk("INAM", track.title.toUtf8() + '\0');
    if (!track.artist.isEmpty()) info += chunk("IART", track.artist.toUtf8() + '\0');
    return chunk("RIFF",
                 "WAVE" + chunk("fmt ", QByteArray::fromHex("01000100401f0000401f000001000800")) +
                     (info.size() > 4 ? chunk("LIST", info) : QByteArray()) +
                     chunk("data", QByteArray(120 * 8000, char(0x80))));
}

QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                  const QString &method, const QVariantList &arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 2000);
}

QVariant askBus(const QString &method, const QVariantList &arguments = {}) {
    return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
                arguments)
        .arguments()
        .value(0);
}

// Debian links the script into /etc/mpv/scripts, which --no-config skips, so it is named.
QString mprisScript() {
    const QString configured = qEnvironmentVariable("VELMORA_MPV_MPRIS");
    if (!configured.isEmpty()) return QFileInfo::exists(configured) ? configured : QString();
    for (const char *candidate : {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so",
                                  "/usr/lib/x86_64-linux-gnu/mpv-mpris/mpris.so"})
        if (QFileInfo::exists(candidate)) return candidate;
    return QString();
}

QList<MpvPlayer::Track> numberedTracks(int count) {
    QList<MpvPlayer::Track> tracks;
    for (int n = 1; n <= count; ++n)
        tracks << MpvPlayer::Track{QStringLiteral("Track %1").arg(n),
                                   QStringLiteral("Artist %1").arg(n)};
    return tracks;
}
} // namespace

bool MpvPlayer::mpvInstalled() {
    return !QStandardPaths::findExecutable("mpv").isEmpty();
}

MpvPlayer::MpvPlayer(int trackCount) : MpvPlayer(numberedTracks(trackCount)) {
}

MpvPlayer::MpvPlayer(const QList<Track> &tracks) : m_tracks(tracks) {
    const QString script = mprisScript();
    if (script.isEmpty()) m_error = "the mpv MPRIS script (mpris.so) is not installed";
    if (!QDBusConnection::sessionBus().isConnected()) m_error = "no session bus";
    if (!m_error.isEmpty()) return;
    // A stopped player stays on the bus, as a stopped Winamp stays open.
    QStringList arguments{"--no-config", "--no-terminal",      "--no-video",         "--ao=null",
                          "--idle=yes",  "--script=" + script, "--loop-playlist=inf"};
    for (int n = 1; n <= m_tracks.size(); ++n) {
        QFile file(trackFile(n));
        if (!file.open(QIODevice::WriteOnly) || file.write(wave(m_tracks.at(n - 1))) <= 0) {
            m_error = "cannot write " + trackFile(n);
            return;
        }
        arguments << trackFile(n);
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start("mpv", arguments);
    const auto onBus = [this] {
        const auto pid = quint32(m_process.processId());
        for (const QString &name : askBus("ListNames").toStringList())
            if (name.startsWith("org.mpris.MediaPlayer2.") &&
                askBus("GetConnectionUnixProcessID", {name}).toUInt() == pid)
                m_busName = name;
        return !m_busName.isEmpty();
    };
    // The tags are read a moment after playback has begun; until then the file names the track.
    const QString first = m_tracks.constFirst().title.isEmpty() ? QFileInfo(trackFile(1)).fileName()
                                                                : m_tracks.constFirst().title;
    if (!m_process.waitForStarted(5000))
        m_error = "mpv did not start: " + m_process.errorString();
    else if (!waitFor(onBus, 15000))
        m_error = "mpv did not appear on the session bus";
    else if (!waitFor([&] { return status() == "Playing" && trackTitle() == first; }, 10000))
        m_error = "mpv did not start playing";
    if (!m_error.isEmpty()) stop();
}

bool MpvPlayer::waitFor(const std::function<bool()> &condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        if (condition()) return true;
        QThread::msleep(50);
    }
    return false;
}

QString MpvPlayer::trackFile(int n) const {
    return m_dir.filePath(QStringLiteral("track%1.wav").arg(n));
}

QString MpvPlayer::displayTitle(int n) const {
    const Track &t = m_tracks.at(n - 1);
    if (t.title.isEmpty()) return QFileInfo(trackFile(n)).fileName();
    return t.artist.isEmpty() ? t.title : t.artist + " - " + t.title;
}

QVariant MpvPlayer::playerProperty(const QString &name) const {
    if (m_busName.isEmpty()) return QVariant();
    const QDBusMessage reply =
        call(m_busName, "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Get",
             {"org.mpris.MediaPlayer2.Player", name});
    if (reply.type() != QDBusMessage::ReplyMessage) return QVariant();
    return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
}

bool MpvPlayer::setPlayerProperty(const QString &name, const QVariant &value) const {
    return call(m_busName, "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Set",
                {"org.mpris.MediaPlayer2.Player", name, QVariant::fromValue(QDBusVariant(value))})
               .type() == QDBusMessage::ReplyMessage;
}

QString MpvPlayer::trackTitle() const {
    const QVariant metadata = playerProperty("Metadata");
    if (metadata.userType() != qMetaTypeId<QDBusArgument>()) return QString();
    QVariantMap map;
    qvariant_cast<QDBusArgument>(metadata) >> map;
    return map.value("xesam:title").toString();
}

void MpvPlayer::freeze(bool frozen) {
    if (m_process.state() == QProcess::NotRunning || frozen == m_frozen) return;
    const qint64 pid = m_process.processId();
    ::kill(pid_t(pid), frozen ? SIGSTOP : SIGCONT);
    m_frozen = frozen;
    // The signal takes a moment to reach every thread; wait until they all are as asked.
    const auto allStopped = [pid] {
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks.filePath(task + "/stat"));
            const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : "";
            if (!line.isEmpty() && line.mid(line.lastIndexOf(')') + 2, 1) != "T") return false;
        }
        return true;
    };
    const QDeadlineTimer deadline(2000);
    while (allStopped() != frozen && !deadline.hasExpired())
        QThread::msleep(5);
}

void MpvPlayer::stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    freeze(false);
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
    m_process.waitForFinished(5000);
}
