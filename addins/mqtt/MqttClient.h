// SPDX-License-Identifier: GPL-3.0-or-later
// A connection to an MQTT broker through libmosquitto, run by the program's event loop: socket
// notifiers for reading and writing and one timer for the protocol's keep-alive and for
// reconnecting. No thread of its own, nothing that waits.
#pragma once

#include "addins/mqtt/MqttSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class MqttClient : public QObject {
    Q_OBJECT
public:
    // The last will: what the broker publishes when the connection is lost without a goodbye.
    struct Will {
        QString topic;
        QByteArray payload;
        bool retain = true;
    };

    explicit MqttClient(QObject *parent = nullptr);
    ~MqttClient() override;

    // Connects with these settings and keeps the connection: when the broker goes away, or
    // cannot be reached, it tries again after 1, 2, 4, 8 and 16 s, then every 30 s. Any earlier
    // connection is ended first (without its will).
    void start(const MqttSettings &settings, const QString &clientId, const Will &will);
    // Ends the connection cleanly (the broker does not publish the will) and stops trying.
    void stop();
    bool isConnected() const;

    // Publishes at QoS 1. Nothing is kept for later: false, and nothing sent, while not connected.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    // Kept and subscribed again (QoS 1) on every connection.
    void subscribe(const QString &topicFilter);
    // Forgets the kept subscriptions (for the next start with other topics).
    void clearSubscriptions();

    // One line for the settings window: "Connected to HOST:PORT", "Connecting to HOST:PORT",
    // "Not connected: REASON, next try in N s", "Off".
    QString stateText() const;

Q_SIGNALS:
    // The broker accepted the connection and the subscriptions are renewed: publish now.
    void connected();
    // The connection ended or could not be made; reason in words.
    void disconnected(const QString &reason);
    void messageReceived(const QString &topic, const QByteArray &payload);
    // stateText() changed.
    void stateChanged();

private:
    struct Private;
    Private *d;
};
