// SPDX-License-Identifier: GPL-3.0-or-later
// The player seam over MPRIS2 on the D-Bus session bus, for platforms without Winamp.
#pragma once

#include "winamp/PlayerBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QVariantMap>
#include <memory>

class QDBusServiceWatcher;

// The players on the bus, kept from the bus's name-owner signals so that finding the player,
// which the media-key poll does a hundred times a second, costs no bus call. Only the changes of
// player names are asked for: the program does not wake for every client of the bus.
class MprisNameCache : public QObject {
    Q_OBJECT
public:
    explicit MprisNameCache(const QDBusConnection &bus);
    // Player names with the connection that owns each, in name order.
    const QMap<QString, QString> &players();

public Q_SLOTS:
    void nameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

private:
    void seed();

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    QMap<QString, QString> m_players;
    bool m_seeded = false;
};

// The player is the first org.mpris.MediaPlayer2.* name on the bus, in name order. A handle
// stands for the bus connection that owned that name when it was found, so a handle kept
// after the player has quit stays stale even when a new player takes the same name, as a
// window handle of a closed window does.
class MprisPlayerBackend : public PlayerBackend {
public:
    MprisPlayerBackend();
    // A back-end on the given bus; one that is not connected finds no player.
    explicit MprisPlayerBackend(const QDBusConnection &bus);
    ~MprisPlayerBackend() override;

    WinampHandle find() override;
    void postCommand(WinampHandle player, qint32 id) override;
    qint16 status(WinampHandle player, int timeoutMs) override;
    QString windowTitle(WinampHandle player) override;

    // "artist - title - Winamp" from MPRIS metadata; the title falls back to the file name of
    // xesam:url; "" when neither is there.
    static QString titleFromMetadata(const QVariantMap &metadata);

    // Volume change of one volume command, on MPRIS's scale where 1.0 is full volume.
    static constexpr double kVolumeStep = 0.05;
    // Seek of the forward and back commands, in microseconds.
    static constexpr qint64 kSeekStepUs = 5'000'000;

private:
    struct Player {
        QString name;  // org.mpris.MediaPlayer2.something
        QString owner; // the unique connection name behind it
    };

    QString ownerOf(WinampHandle player) const;
    QVariant property(const QString &owner, const QString &name, int timeoutMs) const;

    QDBusConnection m_bus;
    QHash<WinampHandle, Player> m_players;
    WinampHandle m_lastHandle = 0;
    std::unique_ptr<QObject> m_pending; // parent of the watchers of posted commands
    std::unique_ptr<MprisNameCache> m_names;
};
