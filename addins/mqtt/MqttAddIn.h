// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in: the receiver's state on an MQTT broker, commands from it, and the receiver
// announced to Home Assistant. It talks to the program through its host object only.
#pragma once

#include "addins/mqtt/Form_Mqtt.h"
#include "addins/mqtt/MqttClient.h"
#include "addins/mqtt/MqttRules.h"
#include "addins/mqtt/MqttSettings.h"

#include <velmora/AddInHost.h>
#include <velmora/AddInLoader.h>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

class MqttAddIn : public QObject, public AddInLoader {
    Q_OBJECT
    Q_INTERFACES(AddInLoader)
public:
    MqttAddIn();
    ~MqttAddIn() override;

    void Version(QString &stVersion) override;
    void Name(QString &stName) override;
    void Copyright(QString &stCopyright) override;
    void Load(QObject *&oAddin) override;

    // The settings window; the add-in manager calls it on the add-in's line.
    Q_INVOKABLE void Settings();

    // Connects with these settings (or stays off without a host); the window's OK calls it
    // after saving them.
    void useSettings(const MqttSettings &settings);
    const MqttClient &client() const { return m_client; }
    const ReceiverPicture &picture() const { return m_picture; }
    Form_Mqtt *window() const { return m_window; }

private Q_SLOTS:
    // The host object's events.
    void onReceivedCommand(const QString &stData);
    void onReceivedSettings(const QString &stData);
    void onTerminate();

private:
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload);
    void carryOut(const QString &level, const QByteArray &payload);
    void stepVolume(const QString &code);
    void refresh();
    void publishDiscovery();
    void publish(const QString &level, const QByteArray &payload, bool retain = true);
    void publishError(const QString &level, const QString &reason);
    QString base() const { return m_settings.effectiveBaseTopic(); }

    Velmora::Host m_host;
    MqttSettings m_settings;
    MqttClient m_client;
    ReceiverPicture m_picture;
    VolumeStepper m_stepper;
    QTimer m_stepWait; // one volume step's answer
    QTimer m_watch;    // the status lines and the connection to the receiver, once a second
    QTimer m_settle;   // the status lines just after a report, once the program has shown it
    QHash<QString, QByteArray> m_published; // retained topics since the broker connected
    QPointer<Form_Mqtt> m_window;
};
