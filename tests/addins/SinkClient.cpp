// SPDX-License-Identifier: GPL-3.0-or-later
// A bus client for the tests, in its own process, driven by its command line. It prints each
// answer it gets as "ok" or the D-Bus error name.
//   sink N|hang [gettext]  joins as an add-in whose event sink answers Unload with N (after
//                          asking GetText, with "gettext"), or never ("hang"); says "ready PATH"
//   objects N              creates N host objects and says each path or error, then "done"
//   leave                  asks for a host object and leaves the bus before the answer
//   try own|PATH WHAT      WHAT (call, get, getall, set, sink, introspect, sinkelsewhere: an
//                          event sink of the bus daemon's) on a host object of its own or on PATH
//   send COMMAND           joins and sends COMMAND
//   quit                   joins and asks Velmora to end
// "sink" and "objects" then wait to be ended; the others exit.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <cstdio>

namespace {
const QString kService = QStringLiteral("org.velmora.Velmora");
const QString kAddIn = QStringLiteral("org.velmora.Velmora.AddIn");

QDBusMessage call(const QString &path, const QString &interface, const QString &member,
                  const QList<QVariant> &arguments = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, member);
    m.setArguments(arguments);
    return QDBusConnection::sessionBus().call(m);
}
QString said(const QDBusMessage &answer) {
    return answer.type() == QDBusMessage::ErrorMessage ? answer.errorName() : QStringLiteral("ok");
}
void say(const QString &line) {
    std::puts(qPrintable(line));
    std::fflush(stdout);
}
// The path of a new host object, or the error.
QString create() {
    const QDBusMessage m =
        call(QStringLiteral("/org/velmora/Velmora"),
             QStringLiteral("org.velmora.Velmora.AddInHost"), QStringLiteral("CreateAddIn"));
    if (m.type() == QDBusMessage::ErrorMessage) return m.errorName();
    return m.arguments().value(0).value<QDBusObjectPath>().path();
}
QString join() {
    const QString path = create();
    call(path, kAddIn, QStringLiteral("AddInRegister"));
    return path;
}
} // namespace

class Sink : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora.AddInEvents")
public:
    Sink(QString answer, bool getText, QString path)
        : m_answer(std::move(answer)), m_getText(getText), m_path(std::move(path)) {}
public Q_SLOTS:
    Q_SCRIPTABLE int Unload() {
        if (m_getText) say(QStringLiteral("GetText ") + said(call(m_path, kAddIn, "GetText")));
        if (m_answer == QLatin1String("hang")) setDelayedReply(true); // and never replies
        return m_answer.toInt();
    }

private:
    QString m_answer;
    bool m_getText;
    QString m_path;
};

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::unique_ptr<Sink> sink;
    if (mode == QLatin1String("sink")) {
        const QString path = join();
        sink =
            std::make_unique<Sink>(args.value(1), args.value(2) == QLatin1String("gettext"), path);
        bus.registerObject(QStringLiteral("/sink"), sink.get(),
                           QDBusConnection::ExportScriptableSlots);
        call(path, kAddIn, QStringLiteral("SetEventSink"),
             {bus.baseService(), QVariant::fromValue(QDBusObjectPath("/sink"))});
        say(QStringLiteral("ready ") + path);
    } else if (mode == QLatin1String("objects")) {
        for (int i = args.value(1).toInt(); i > 0; --i)
            say(create());
        say(QStringLiteral("done"));
    } else if (mode == QLatin1String("leave")) {
        bus.send(QDBusMessage::createMethodCall(kService, QStringLiteral("/org/velmora/Velmora"),
                                                QStringLiteral("org.velmora.Velmora.AddInHost"),
                                                QStringLiteral("CreateAddIn")));
        bus.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"))); // sent for sure
        return 0;
    } else if (mode == QLatin1String("try")) {
        const QString path = args.value(1) == QLatin1String("own") ? create() : args.value(1);
        const QString what = args.value(2);
        const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
        QDBusMessage answer;
        if (what == QLatin1String("call"))
            answer = call(path, kAddIn, QStringLiteral("GetText"));
        else if (what == QLatin1String("get"))
            answer = call(path, props, QStringLiteral("Get"), {kAddIn, QStringLiteral("AddInID")});
        else if (what == QLatin1String("getall"))
            answer = call(path, props, QStringLiteral("GetAll"), {kAddIn});
        else if (what == QLatin1String("set"))
            answer = call(path, props, QStringLiteral("Set"),
                          {kAddIn, QStringLiteral("AddInName"),
                           QVariant::fromValue(QDBusVariant(QStringLiteral("intruder")))});
        else if (what == QLatin1String("sink") || what == QLatin1String("sinkelsewhere"))
            answer = call(path, kAddIn, QStringLiteral("SetEventSink"),
                          {what == QLatin1String("sink") ? bus.baseService()
                                                         : QStringLiteral("org.freedesktop.DBus"),
                           QVariant::fromValue(QDBusObjectPath("/sink"))});
        else
            answer = call(path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                          QStringLiteral("Introspect"));
        say(said(answer));
        return 0;
    } else if (mode == QLatin1String("send")) {
        say(said(call(join(), kAddIn, QStringLiteral("SendCommand"), {args.value(1)})));
        return 0;
    } else if (mode == QLatin1String("quit")) {
        say(said(call(join(), kAddIn, QStringLiteral("Quit"))));
        return 0;
    } else {
        return 64;
    }
    return QCoreApplication::exec();
}

#include "SinkClient.moc"
