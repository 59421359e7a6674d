// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's plug-in root object.
#include "addins/mqtt/MqttLibrary.h"

#include "addins/mqtt/MqttAddIn.h"

QObject *MqttLibrary::createObject(const QString &className) {
    if (className == QLatin1String("MqttAddIn")) return new MqttAddIn;
    return nullptr;
}
