// SPDX-License-Identifier: GPL-3.0-or-later
// A bus client for the tests: joins Velmora as an add-in with an event sink that answers the
// program's Unload with the number given on its command line, says "ready", and waits.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <cstdio>

class Sink : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora.AddInEvents")
public:
    explicit Sink(int answer) : m_answer(answer) {}
public Q_SLOTS:
    Q_SCRIPTABLE int Unload() { return m_answer; }

private:
    int m_answer;
};

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int answer = argc > 1 ? atoi(argv[1]) : 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    Sink sink(answer);
    bus.registerObject(QStringLiteral("/sink"), &sink, QDBusConnection::ExportScriptableSlots);
    QDBusInterface host(QStringLiteral("org.velmora.Velmora"),
                        QStringLiteral("/org/velmora/Velmora"),
                        QStringLiteral("org.velmora.Velmora.AddInHost"), bus);
    const QDBusReply<QDBusObjectPath> path = host.call(QStringLiteral("CreateAddIn"));
    if (!path.isValid()) return 1;
    QDBusInterface addIn(QStringLiteral("org.velmora.Velmora"), path.value().path(),
                         QStringLiteral("org.velmora.Velmora.AddIn"), bus);
    addIn.call(QStringLiteral("SetEventSink"), bus.baseService(),
               QVariant::fromValue(QDBusObjectPath(QStringLiteral("/sink"))));
    addIn.call(QStringLiteral("AddInRegister"));
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "SinkClient.moc"
