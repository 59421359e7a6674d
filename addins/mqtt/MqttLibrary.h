// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's plug-in root object: it makes the add-in objects the metadata lists.
#pragma once

#include <velmora/AddInLoader.h>

#include <QObject>

class MqttLibrary : public QObject, public AddInLibrary {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AddInLibrary_iid FILE "mqtt.json")
    Q_INTERFACES(AddInLibrary)
public:
    QObject *createObject(const QString &className) override;
};
