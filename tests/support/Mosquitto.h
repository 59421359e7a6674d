// SPDX-License-Identifier: GPL-3.0-or-later
// A real mosquitto broker on a free loopback port, with a password and optionally TLS, and its
// command-line clients to see and send what goes through it.
#pragma once

#include "addins/mqtt/MqttSettings.h"

#include <QProcess>
#include <QTemporaryDir>

#include <optional>

class Mosquitto {
public:
    // ClientCertificate: TLS, and the broker wants a certificate of the client too.
    enum class Tls { Off, On, ClientCertificate };

    // Writes its password file (and certificates) and starts it; then check isReady().
    explicit Mosquitto(Tls tls = Tls::Off);
    ~Mosquitto() { stop(); }
    Mosquitto(const Mosquitto &) = delete;
    Mosquitto &operator=(const Mosquitto &) = delete;

    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Starts it (again, on the same port) and waits until it accepts.
    bool start();
    // Ends it (SIGTERM) and waits: its clients lose their connections.
    void stop();

    quint16 port() const { return m_port; }
    QString user() const { return QStringLiteral("velmora"); }
    QString password() const { return QStringLiteral("s3cret pass"); }
    QString caFile() const { return file("ca.crt"); }
    QString otherCaFile() const { return file("other.crt"); } // signed nothing here
    QString clientCert() const { return file("client.crt"); }
    QString clientKey() const { return file("client.key"); }
    // 127.0.0.1, the port, user and password, and what TLS needs.
    MqttSettings settings() const;
    // The same for mosquitto_sub and mosquitto_pub.
    QStringList clientArguments() const;
    // Through mosquitto_pub at QoS 1; true once the broker has it.
    bool publish(const QString &topic, const QByteArray &payload, bool retain = false) const;

private:
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    bool run(const QString &program, const QStringList &arguments);

    Tls m_tls;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

// mosquitto_sub on a topic filter: subscribed once built (check isReady()), it sees what is
// retained and what is published from then on.
class MqttSubscriber {
public:
    struct Message {
        bool retained = false;
        QString topic;
        QByteArray payload;
    };
    MqttSubscriber(const Mosquitto &broker, const QString &topicFilter);
    ~MqttSubscriber();

    bool isReady() const { return m_subscribed; }
    QList<Message> messages();
    // The last payload on this topic; null when none came.
    QByteArray lastPayload(const QString &topic);
    // Runs events until this payload (any, for none) comes on this topic; the message or
    // nothing. Messages that came before the last forget() do not count.
    std::optional<Message> waitFor(const QString &topic,
                                   const std::optional<QByteArray> &payload = std::nullopt,
                                   int ms = 10000);
    void forget() {
        messages();
        m_messages.clear();
    }

private:
    QProcess m_process;
    QByteArray m_pending;
    bool m_subscribed = false;
    QList<Message> m_messages;
};
