// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's settings: the base topic's rules and the group "MQTT" of the settings store.
#include "addins/mqtt/MqttSettings.h"

#include "base/ConfigValues.h"

#include <QHash>
#include <QSysInfo>

namespace {
const QString kGroup = QStringLiteral("MQTT");
constexpr int kMaxTopicBytes = 200;
} // namespace

QString MqttSettings::effectiveBaseTopic() const {
    const QString topic = baseTopic.trimmed();
    return topic.isEmpty() ? defaultBaseTopic() : topic;
}

QString defaultBaseTopic() {
    QString name = QSysInfo::machineHostName();
    for (QChar &c : name)
        if (!(c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
              (c.unicode() < 0x80 && c.isLetter())))
            c = QLatin1Char('_');
    return QStringLiteral("velmora/") + (name.isEmpty() ? QStringLiteral("velmora") : name);
}

QString baseTopicProblem(const QString &typed) {
    const QString topic = typed.trimmed();
    if (topic.isEmpty()) return QString();
    if (topic.contains(QLatin1Char('+')) || topic.contains(QLatin1Char('#')))
        return QStringLiteral("A base topic has no wildcard (+ or #)");
    if (topic.startsWith(QLatin1Char('$')))
        return QStringLiteral("A base topic does not start with $ (the broker's own topics)");
    if (topic.startsWith(QLatin1Char('/')) || topic.endsWith(QLatin1Char('/')) ||
        topic.contains(QStringLiteral("//")))
        return QStringLiteral("A base topic has no empty level: no / at its start or end, no //");
    for (const QChar c : topic)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("A base topic has no control characters");
    if (topic.toUtf8().size() > kMaxTopicBytes)
        return QStringLiteral("A base topic is at most %1 bytes long (UTF-8)").arg(kMaxTopicBytes);
    return QString();
}

MqttSettings readMqttSettings() {
    QHash<QString, QString> stored;
    for (const auto &[key, value] : readStoreGroup(kGroup))
        stored.insert(key, value);
    MqttSettings s;
    s.host = stored.value(QStringLiteral("Host"));
    bool number = false;
    const int port = stored.value(QStringLiteral("Port")).trimmed().toInt(&number);
    s.port = number && port >= 0 && port <= 65535 ? port : 0;
    s.user = stored.value(QStringLiteral("User"));
    s.password = stored.value(QStringLiteral("Password"));
    s.caFile = stored.value(QStringLiteral("CAFile"));
    s.certFile = stored.value(QStringLiteral("CertFile"));
    s.keyFile = stored.value(QStringLiteral("KeyFile"));
    s.baseTopic = stored.value(QStringLiteral("BaseTopic"));
    // Home Assistant is told unless the user turned it off.
    s.discovery = stored.value(QStringLiteral("Discovery")).trimmed() != QLatin1String("0");
    return s;
}

void writeMqttSettings(const MqttSettings &s) {
    // An empty value removes its key: no empty password in the file, no port 0.
    const ConfigPairs pairs = {
        {QStringLiteral("Host"), s.host},
        {QStringLiteral("Port"), s.port > 0 ? QString::number(s.port) : QString()},
        {QStringLiteral("User"), s.user},
        {QStringLiteral("Password"), s.password},
        {QStringLiteral("CAFile"), s.caFile},
        {QStringLiteral("CertFile"), s.certFile},
        {QStringLiteral("KeyFile"), s.keyFile},
        {QStringLiteral("BaseTopic"), s.baseTopic},
        {QStringLiteral("Discovery"), s.discovery ? QStringLiteral("1") : QStringLiteral("0")}};
    writeStoreGroup(kGroup, pairs, !s.password.isEmpty());
}
