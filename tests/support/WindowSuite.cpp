// SPDX-License-Identifier: GPL-3.0-or-later
// The base of the window suites.
#include "support/WindowSuite.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

QString WindowSuite::receiverInput(bool zone2) const {
    const Sim::ReceiverState &s = sim->model().state();
    const Sim::InputEntry *input = Sim::inputByDigit(zone2 ? s.zone2Input : s.mainInput);
    return input ? QString::fromLatin1(input->name) : QStringLiteral("?");
}

bool WindowSuite::busStartsProgramsWithTestSettings() const {
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    update << QVariant::fromValue(QMap<QString, QString>{{"XDG_CONFIG_HOME", env->folder()}});
    return QDBusConnection::sessionBus().call(update).type() == QDBusMessage::ReplyMessage;
}
