// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in.
//
// The receiver's state comes from the host object's events (reports and configuration blocks)
// and from GetText (the status lines); it is published retained and only when it changed. A
// (re)connection to the broker publishes everything again from the current picture, so a broker
// that lost its retained messages never shows an old state. Commands arrive on "<level>/set"
// and go to the receiver through SendCommand, the way any add-in sends them.
#include "addins/mqtt/MqttAddIn.h"

#include "addins/mqtt/Form_Mqtt.h"
#include "base/RuntimeError.h"
#include "link/Framing.h"
#include "state/VolumeLevel.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSysInfo>

namespace {
Q_LOGGING_CATEGORY(lcMqttAddIn, "velmora.addins.mqtt")

QString clientId() {
    return QStringLiteral("velmora-%1-%2")
        .arg(QSysInfo::machineHostName())
        .arg(QCoreApplication::applicationPid());
}
} // namespace

MqttAddIn::MqttAddIn() {
    m_watch.setInterval(1000);
    connect(&m_watch, &QTimer::timeout, this, &MqttAddIn::refresh);
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
    connect(&m_settle, &QTimer::timeout, this, &MqttAddIn::refresh);
    m_stepWait.setSingleShot(true);
    m_stepWait.setInterval(Frame::ExchangeMs);
    connect(&m_stepWait, &QTimer::timeout, this, [this] { stepVolume(m_stepper.unanswered()); });
}

MqttAddIn::~MqttAddIn() {
    delete m_window;
}

void MqttAddIn::Version(QString &stVersion) {
    stVersion = QStringLiteral(VELMORA_MQTT_VERSION);
}

void MqttAddIn::Name(QString &stName) {
    stName = QStringLiteral("Velmora MQTT");
}

void MqttAddIn::Copyright(QString &stCopyright) {
    stCopyright = QStringLiteral("Copyright (C) The Velmora developers");
}

void MqttAddIn::Load(QObject *&oAddin) {
    if (!oAddin || m_host.object()) return;
    m_host = Velmora::Host(oAddin);
    connect(oAddin, Velmora::Event::ReceivedCommand, this, SLOT(onReceivedCommand(QString)));
    connect(oAddin, Velmora::Event::ReceivedSettings, this, SLOT(onReceivedSettings(QString)));
    connect(oAddin, Velmora::Event::Terminate, this, SLOT(onTerminate()));
    connect(&m_client, &MqttClient::connected, this, &MqttAddIn::onConnected);
    connect(&m_client, &MqttClient::messageReceived, this, &MqttAddIn::onMessage);
    connect(&m_client, &MqttClient::stateChanged, this, [this] {
        if (m_window) m_window->setStatus(m_client.stateText());
    });
    useSettings(readMqttSettings());
}

void MqttAddIn::useSettings(const MqttSettings &settings) {
    if (m_client.isConnected()) {
        // Home Assistant forgets the receiver when the user no longer wants it there, and the
        // old topics say goodbye as the will would.
        const bool sameNode = settings.effectiveBaseTopic() == base();
        if (m_settings.discovery && (!settings.discovery || !sameNode))
            for (const DiscoveryConfig &removal : discoveryRemovals(base()))
                m_client.publish(removal.topic, removal.payload, true);
        m_client.publish(base() + QLatin1Char('/') + MqttTopic::Availability, kOffline, true);
    }
    m_client.stop();
    m_settings = settings;
    m_published.clear();
    m_watch.stop();
    if (!settings.configured()) {
        qCInfo(lcMqttAddIn) << "no broker set: off";
        return;
    }
    m_client.clearSubscriptions();
    // Commands, and the mistaken ones one level deeper (zone2/volume/set), which get an answer.
    m_client.subscribe(base() + QStringLiteral("/+/set"));
    m_client.subscribe(base() + QStringLiteral("/+/+/set"));
    if (settings.discovery) m_client.subscribe(QLatin1String(kDiscoveryStatusTopic));
    m_client.start(settings, clientId(),
                   {base() + QLatin1Char('/') + MqttTopic::Availability, kOffline, true});
    m_watch.start();
}

void MqttAddIn::Settings() {
    if (!m_window) {
        m_window = new Form_Mqtt(m_settings);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_window, &Form_Mqtt::settingsAccepted, this, [this](const MqttSettings &s) {
            try {
                writeMqttSettings(s);
            } catch (const RuntimeError &e) {
                m_window->showProblem(e.description());
                return;
            }
            useSettings(s);
            m_window->close();
        });
    }
    m_window->setStatus(m_client.stateText());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void MqttAddIn::onReceivedCommand(const QString &stData) {
    m_picture.applyReport(stData);
    publish(QLatin1String(MqttTopic::Report), stData.toUtf8(), false);
    if (m_stepper.active())
        if (const std::optional<VolumeReport> v = decodeVolumeText(stData);
            v && v->zone == VolumeZone::Main)
            stepVolume(m_stepper.answered(v->dB));
    m_settle.start();
}

void MqttAddIn::onReceivedSettings(const QString &stData) {
    m_picture.applySettings(stData);
    m_settle.start();
}

void MqttAddIn::onTerminate() {
    if (m_client.isConnected())
        m_client.publish(base() + QLatin1Char('/') + MqttTopic::Availability, kOffline, true);
    m_client.stop();
    m_watch.stop();
    delete m_window;
}

void MqttAddIn::onConnected() {
    qCInfo(lcMqttAddIn).noquote() << "publishing under" << base();
    m_published.clear();
    if (!m_settings.discovery)
        for (const DiscoveryConfig &removal : discoveryRemovals(base()))
            m_client.publish(removal.topic, removal.payload, true);
    refresh();
}

void MqttAddIn::refresh() {
    if (!m_client.isConnected()) return;
    m_host.GetText(m_picture.line1, m_picture.line2);
    publish(QLatin1String(MqttTopic::Availability),
            m_host.Connected() ? QByteArray(kOnline) : QByteArray(kOffline));
    for (const TopicValue &value : stateValues(m_picture))
        publish(value.topic, value.payload);
    if (m_settings.discovery) publishDiscovery();
}

void MqttAddIn::publishDiscovery() {
    for (const DiscoveryConfig &config : discoveryConfigs(base(), m_picture)) {
        auto known = m_published.constFind(config.topic);
        if (known != m_published.constEnd() && *known == config.payload) continue;
        if (m_client.publish(config.topic, config.payload, true))
            m_published.insert(config.topic, config.payload);
    }
}

void MqttAddIn::publish(const QString &level, const QByteArray &payload, bool retain) {
    const QString topic = base() + QLatin1Char('/') + level;
    if (retain) {
        auto known = m_published.constFind(topic);
        if (known != m_published.constEnd() && *known == payload) return;
    }
    if (m_client.publish(topic, payload, retain) && retain) m_published.insert(topic, payload);
}

void MqttAddIn::publishError(const QString &level, const QString &reason) {
    const QString text = level + MqttTopic::SetSuffix + QStringLiteral(": ") + reason;
    qCInfo(lcMqttAddIn).noquote() << "command not carried out:" << text;
    publish(QLatin1String(MqttTopic::Error), text.toUtf8(), false);
}

void MqttAddIn::onMessage(const QString &topic, const QByteArray &payload) {
    if (topic == QLatin1String(kDiscoveryStatusTopic)) {
        // Home Assistant started again: it learns the receiver anew.
        if (payload == kOnline && m_settings.discovery) {
            for (const DiscoveryConfig &config : discoveryRemovals(base()))
                m_published.remove(config.topic);
            publishDiscovery();
        }
        return;
    }
    const QString prefix = base() + QLatin1Char('/');
    if (!topic.startsWith(prefix) || !topic.endsWith(QLatin1String(MqttTopic::SetSuffix))) return;
    const QString level = topic.mid(prefix.size(), topic.size() - prefix.size() -
                                                       qsizetype(qstrlen(MqttTopic::SetSuffix)));
    carryOut(level, payload);
}

void MqttAddIn::carryOut(const QString &level, const QByteArray &payload) {
    if (!m_host.Connected()) {
        publishError(level, QStringLiteral("not connected to the receiver"));
        return;
    }
    const CommandPlan plan = planCommand(level, payload, m_picture);
    if (!plan.error.isEmpty()) {
        publishError(level, plan.error);
        return;
    }
    if (plan.volumeTarget) {
        stepVolume(m_stepper.start(*plan.volumeTarget, m_picture.volumeDb));
        return;
    }
    for (const QString &code : plan.codes)
        m_host.SendCommand(code);
}

void MqttAddIn::stepVolume(const QString &code) {
    m_stepWait.stop();
    if (!code.isEmpty()) {
        m_host.SendCommand(code);
        m_stepWait.start();
    } else if (!m_stepper.error().isEmpty()) {
        publishError(QLatin1String(MqttTopic::Volume), m_stepper.error());
    }
}
