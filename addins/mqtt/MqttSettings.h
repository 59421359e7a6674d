// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's settings: the broker, its credentials and TLS files, the base topic and
// whether Home Assistant is told about the receiver. They live in the program's settings store,
// group "MQTT"; the add-in stays off while no host is set.
#pragma once

#include <QString>

struct MqttSettings {
    QString host;     // name or address of the broker; empty: the add-in is off
    int port = 0;     // 0: 1883, or 8883 with TLS
    QString user;     // empty: no user name is sent
    QString password; // never logged
    QString caFile;   // a CA certificate (PEM) turns TLS on
    QString certFile; // client certificate and its key, both or neither
    QString keyFile;
    QString baseTopic; // empty: velmora/<host name of this computer>
    bool discovery = true;

    bool configured() const { return !host.trimmed().isEmpty(); }
    bool tls() const { return !caFile.trimmed().isEmpty(); }
    int effectivePort() const { return port > 0 ? port : tls() ? 8883 : 1883; }
    QString effectiveBaseTopic() const;

    bool operator==(const MqttSettings &) const = default;
};

// "velmora/" and this computer's host name, made fit for a topic level (letters, digits, "-"
// and "_"; anything else becomes "_").
QString defaultBaseTopic();

// What is wrong with a base topic as the user typed it, "" when it may be used: no wildcard
// ("+", "#"), no empty level (a leading, trailing or doubled "/"), no "$" at the start, no
// control character, at most 200 bytes of UTF-8.
QString baseTopicProblem(const QString &topic);

// The group "MQTT" of the program's settings store (keys Host, Port, User, Password, CAFile,
// CertFile, KeyFile, BaseTopic, Discovery); defaults for what is missing or unreadable.
MqttSettings readMqttSettings();
// Writes the group at once. While a password is stored the settings file is readable by its
// owner only (0600). Throws error 75 naming the store when it cannot be written.
void writeMqttSettings(const MqttSettings &settings);
