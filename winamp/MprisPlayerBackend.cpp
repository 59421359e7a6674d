// SPDX-License-Identifier: GPL-3.0-or-later
// MPRIS2 calls behind the player remote: player search, commands, play state and title.
#include "winamp/MprisPlayerBackend.h"

#include <QCoreApplication>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QUrl>
#include <algorithm>
#include <iterator>

namespace {

const QString kNamePrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The bus daemon answers at once unless something is badly wrong; a player search must not
// hang the program then either.
constexpr int kBusTimeoutMs = 1000;

// The menu commands that have an MPRIS counterpart; every other identifier is ignored.
struct CommandMapping {
    qint32 id;
    bool rootInterface; // org.mpris.MediaPlayer2 rather than its .Player
    const char *method;
    qint64 seekUs; // argument of Seek
};

constexpr CommandMapping kCommands[] = {
    {VelmoraWinamp_JMP_STARTPOS, false, "Play", 0},
    {VelmoraWinamp_PAUSE, false, "PlayPause", 0},
    {VelmoraWinamp_STOP, false, "Stop", 0},
    {VelmoraWinamp_NEXTSONG, false, "Next", 0},
    {VelmoraWinamp_PREVSONG, false, "Previous", 0},
    {VelmoraWinamp_FFWDSS, false, "Seek", MprisPlayerBackend::kSeekStepUs},
    {VelmoraWinamp_REW5S, false, "Seek", -MprisPlayerBackend::kSeekStepUs},
    {VelmoraWinamp_QUIT, true, "Quit", 0},
};

// Takes a D-Bus variant out of its wrapper and turns a dictionary into a map; anything else
// that Qt left marshalled comes back invalid.
QVariant unwrap(QVariant value) {
    if (value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const auto argument = qvariant_cast<QDBusArgument>(value);
        if (argument.currentSignature() != QLatin1String("a{sv}")) return QVariant();
        QVariantMap map;
        argument >> map;
        return map;
    }
    return value;
}

QString stringOf(const QVariant &value) {
    return value.userType() == QMetaType::QString ? value.toString().trimmed() : QString();
}

// xesam:artist is a list; some players send a single string instead.
QString artistOf(const QVariant &value) {
    QStringList artists;
    if (value.userType() == QMetaType::QStringList)
        artists = value.toStringList();
    else if (value.userType() == QMetaType::QString)
        artists << value.toString();
    for (QString &a : artists)
        a = a.trimmed();
    artists.removeAll(QString());
    return artists.join(QLatin1String(", "));
}

// Sends a call and lets the player answer whenever it likes; a failure is only logged. The
// watcher of the answer belongs to `pending`, so it goes with the back-end.
void postCall(const QDBusConnection &bus, const QDBusMessage &call, QObject *pending) {
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), pending);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [member = call.member()](QDBusPendingCallWatcher *w) {
                         if (w->isError())
                             qCDebug(lcWinamp) << member << "failed:" << w->error().message();
                         w->deleteLater();
                     });
}

QDBusMessage playerCall(const QString &owner, const QString &interface, const QString &method) {
    QDBusMessage call = QDBusMessage::createMethodCall(owner, kObjectPath, interface, method);
    call.setAutoStartService(false);
    return call;
}

double steppedVolume(double volume, qint32 id) {
    if (id == VelmoraWinamp_VOLUMEDOWN) return qMax(0.0, volume - MprisPlayerBackend::kVolumeStep);
    // A volume the user has set above full is left there rather than pulled down.
    return qMax(volume, qMin(1.0, volume + MprisPlayerBackend::kVolumeStep));
}

// Reads the volume and writes the stepped one, both without waiting.
void postVolumeStep(const QDBusConnection &bus, const QString &owner, qint32 id, QObject *pending) {
    QDBusMessage get = playerCall(owner, kPropertiesInterface, QStringLiteral("Get"));
    get << kPlayerInterface << QStringLiteral("Volume");
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), pending);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [bus, owner, id, pending](QDBusPendingCallWatcher *w) {
                         w->deleteLater();
                         const QDBusPendingReply<QDBusVariant> reply = *w;
                         bool ok = false;
                         const double volume =
                             reply.isValid() ? reply.value().variant().toDouble(&ok) : 0.0;
                         if (!ok) {
                             qCDebug(lcWinamp) << "player volume unreadable";
                             return;
                         }
                         QDBusMessage set =
                             playerCall(owner, kPropertiesInterface, QStringLiteral("Set"));
                         set << kPlayerInterface << QStringLiteral("Volume")
                             << QVariant::fromValue(QDBusVariant(steppedVolume(volume, id)));
                         postCall(bus, set, pending);
                     });
}

} // namespace

MprisPlayerBackend::MprisPlayerBackend() : MprisPlayerBackend(QDBusConnection::sessionBus()) {
}

MprisPlayerBackend::MprisPlayerBackend(const QDBusConnection &bus)
    : m_bus(bus), m_pending(std::make_unique<QObject>()),
      m_names(std::make_unique<MprisNameCache>(bus)) {
}

MprisNameCache::MprisNameCache(const QDBusConnection &bus) : m_bus(bus) {
    if (!m_bus.isConnected()) return;
    // The trailing "*" asks the bus for org.mpris.MediaPlayer2 and the names below it only.
    m_watcher = new QDBusServiceWatcher(QStringLiteral("org.mpris.MediaPlayer2*"), m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &MprisNameCache::nameOwnerChanged);
}

const QMap<QString, QString> &MprisNameCache::players() {
    // Changes the bus has already announced are taken in before answering.
    if (m_watcher) QCoreApplication::sendPostedEvents(m_watcher);
    if (!m_seeded) seed();
    return m_players;
}

void MprisNameCache::seed() {
    if (!m_bus.isConnected()) return;
    const auto ask = [this](const QString &method, const QVariantList &arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), method);
        call.setArguments(arguments);
        return m_bus.call(call, QDBus::Block, kBusTimeoutMs);
    };
    const QDBusMessage listed = ask(QStringLiteral("ListNames"), {});
    if (listed.type() != QDBusMessage::ReplyMessage || listed.arguments().isEmpty()) return;
    m_seeded = true;
    for (const QString &name : listed.arguments().constFirst().toStringList()) {
        if (!name.startsWith(kNamePrefix) || name.size() == kNamePrefix.size()) continue;
        const QDBusMessage owned = ask(QStringLiteral("GetNameOwner"), {name});
        if (owned.type() == QDBusMessage::ReplyMessage && !owned.arguments().isEmpty())
            m_players.insert(name, owned.arguments().constFirst().toString());
    }
}

void MprisNameCache::nameOwnerChanged(const QString &name, const QString &oldOwner,
                                      const QString &newOwner) {
    Q_UNUSED(oldOwner);
    if (!name.startsWith(kNamePrefix) || name.size() == kNamePrefix.size()) return;
    if (newOwner.isEmpty())
        m_players.remove(name);
    else
        m_players.insert(name, newOwner);
}

MprisPlayerBackend::~MprisPlayerBackend() = default;

WinampHandle MprisPlayerBackend::find() {
    if (!m_bus.isConnected()) return 0;
    // The bus lists its names in no particular order; name order keeps the choice steady
    // while the same players run.
    const QMap<QString, QString> &players = m_names->players();
    if (players.isEmpty()) return 0;
    const QString name = players.firstKey();
    const QString owner = players.first();
    if (owner.isEmpty()) return 0;

    for (auto it = m_players.cbegin(); it != m_players.cend(); ++it)
        if (it->owner == owner && it->name == name) return it.key();
    const WinampHandle handle = ++m_lastHandle;
    m_players.insert(handle, Player{name, owner});
    qCDebug(lcWinamp) << "player" << handle << "is" << name << "at" << owner;
    return handle;
}

QString MprisPlayerBackend::ownerOf(WinampHandle player) const {
    return m_bus.isConnected() ? m_players.value(player).owner : QString();
}

void MprisPlayerBackend::postCommand(WinampHandle player, qint32 id) {
    const QString owner = ownerOf(player);
    if (owner.isEmpty()) return;
    if (id == VelmoraWinamp_VOLUMEUP || id == VelmoraWinamp_VOLUMEDOWN) {
        postVolumeStep(m_bus, owner, id, m_pending.get());
        return;
    }
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [id](const CommandMapping &c) { return c.id == id; });
    if (command == std::end(kCommands)) {
        qCDebug(lcWinamp) << "command" << id << "has no MPRIS counterpart";
        return;
    }
    QDBusMessage call =
        playerCall(owner, command->rootInterface ? kRootInterface : kPlayerInterface,
                   QLatin1String(command->method));
    if (command->seekUs != 0) call << command->seekUs;
    postCall(m_bus, call, m_pending.get());
}

QVariant MprisPlayerBackend::property(const QString &owner, const QString &name,
                                      int timeoutMs) const {
    QDBusMessage get = playerCall(owner, kPropertiesInterface, QStringLiteral("Get"));
    get << kPlayerInterface << name;
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, qMax(timeoutMs, 1));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCDebug(lcWinamp) << name << "unanswered:" << reply.errorMessage();
        return QVariant();
    }
    return unwrap(reply.arguments().constFirst());
}

qint16 MprisPlayerBackend::status(WinampHandle player, int timeoutMs) {
    const QString owner = ownerOf(player);
    if (owner.isEmpty()) return WinampStatusStopped;
    const QString state = stringOf(property(owner, QStringLiteral("PlaybackStatus"), timeoutMs));
    if (state == QLatin1String("Playing")) return WinampStatusPlaying;
    if (state == QLatin1String("Paused")) return WinampStatusPaused;
    return WinampStatusStopped;
}

QString MprisPlayerBackend::windowTitle(WinampHandle player) {
    const QString owner = ownerOf(player);
    if (owner.isEmpty()) return QString();
    const QVariant metadata = property(owner, QStringLiteral("Metadata"), kWinampStatusTimeoutMs);
    if (metadata.userType() != QMetaType::QVariantMap) return QString();
    return titleFromMetadata(metadata.toMap());
}

QString MprisPlayerBackend::titleFromMetadata(const QVariantMap &metadata) {
    QString title = stringOf(metadata.value(QStringLiteral("xesam:title")));
    if (title.isEmpty()) {
        const QUrl url(stringOf(metadata.value(QStringLiteral("xesam:url"))));
        title = url.fileName().trimmed();
    }
    if (title.isEmpty()) return QString();
    const QString artist = artistOf(metadata.value(QStringLiteral("xesam:artist")));
    if (!artist.isEmpty()) title = artist + QLatin1String(" - ") + title;
    return title + QLatin1String(kWinampTitleSuffix);
}
