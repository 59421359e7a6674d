// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's settings window: the broker, its credentials and TLS files, the base topic,
// the Home Assistant switch, and a line with the state of the connection.
#pragma once

#include "addins/mqtt/MqttSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class Form_Mqtt : public QDialog {
    Q_OBJECT
public:
    explicit Form_Mqtt(const MqttSettings &settings, QWidget *parent = nullptr);

    // The settings as the window shows them.
    MqttSettings settings() const;
    // The connection's state line ("Connected to ...").
    void setStatus(const QString &text);
    // A problem of the settings just saved (the store could not be written), shown in the
    // window, which stays open.
    void showProblem(const QString &text);

    QLineEdit *txtHost;
    QSpinBox *numPort; // 0 shows "default"
    QLineEdit *txtUser;
    QLineEdit *txtPassword;
    QLineEdit *txtCAFile;
    QLineEdit *txtCertFile;
    QLineEdit *txtKeyFile;
    QLineEdit *txtBaseTopic;
    QCheckBox *chkDiscovery;
    QLabel *lblStatus;
    QLabel *lblProblem;

Q_SIGNALS:
    // OK with settings that passed the window's checks; the add-in saves them and reconnects,
    // then closes the window (or calls showProblem).
    void settingsAccepted(const MqttSettings &settings);
};
