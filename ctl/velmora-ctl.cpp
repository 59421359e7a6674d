// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-ctl: drives the receiver from the shell through a running Velmora (started on demand
// by the session bus), as an add-in of its own.
#include "link/CommandCatalogue.h"
#include "state/PanelTables.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QTextStream>
#include <cstdio>

namespace {
const QString kService = QStringLiteral("org.velmora.Velmora");
const QString kHostPath = QStringLiteral("/org/velmora/Velmora");
const QString kHostInterface = QStringLiteral("org.velmora.Velmora.AddInHost");
const QString kAddInInterface = QStringLiteral("org.velmora.Velmora.AddIn");

enum Exit { Done = 0, NotRunning = 1, NotConnected = 2, Failed = 3, Usage = 64 };

const char kHelp[] =
    "Usage: velmora-ctl COMMAND [ARGUMENT]\n"
    "Drives the receiver through Velmora on the session bus (Velmora is started if needed).\n"
    "\n"
    "  status                  the two status lines of Velmora's display\n"
    "  connect                 connect to the receiver on the port chosen in Velmora's Setup\n"
    "  disconnect              close the connection\n"
    "  send CODE               send a five-character command code, e.g. 07A1D\n"
    "  power on|off            switch the receiver on or to standby\n"
    "  input NAME              select an input of the main zone: PHONO, CD, TUNER, TAPE, MD,\n"
    "                          LD, DVD, D-TV, CBL/SAT, VCR1, VCR2, VCR3, V-AUX, CD-R\n"
    "  volume up|down          one step of the main zone's volume\n"
    "  volume mute|unmute      mute the main zone or end the mute\n"
    "  info                    model ID, model and software version of the receiver\n"
    "  watch                   print every report and volume change until interrupted\n"
    "  quit                    end Velmora (its add-ins may refuse)\n"
    "\n"
    "Exit status: 0 done, 1 Velmora not running and could not be started, 2 Velmora not\n"
    "connected to a receiver, 3 the call failed, 64 unknown command or argument.\n";

QTextStream &out() {
    static QTextStream s(stdout);
    return s;
}

int fail(int code, const QString &message) {
    QTextStream(stderr) << "velmora-ctl: " << message << Qt::endl;
    return code;
}

QString code(Cmd id) {
    return QString::fromLatin1(commandEntry(id).code);
}

// Upper case without blanks, hyphens and slashes: "vcr 1", "VCR1" and "Vcr-1" are one name.
QString plainName(const QString &name) {
    QString plain;
    for (const QChar c : name)
        if (c.isLetterOrNumber()) plain += c.toUpper();
    return plain;
}

std::optional<QString> inputCode(const QString &name) {
    for (const InputButton &input : kInputButtons)
        if (plainName(QString::fromLatin1(input.caption)) == plainName(name))
            return code(input.mainZone);
    return std::nullopt;
}

// The receiver command a command line asks for; nothing for "not a sending command", an
// error text for a bad argument.
struct Request {
    QString code;
    QString error;
};

Request sendingRequest(const QString &command, const QString &argument) {
    if (command == QLatin1String("send")) {
        const bool shaped =
            argument.size() == 5 &&
            (argument.startsWith(QLatin1Char('0')) || argument.startsWith(QLatin1Char('2'))) &&
            std::all_of(argument.begin() + 1, argument.end(), [](QChar c) {
                return c.isDigit() || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
                       (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
            });
        if (!shaped)
            return {{},
                    QStringLiteral("a command code is 0 or 2 and four hexadecimal "
                                   "digits, e.g. 07A1D, not \"%1\"")
                        .arg(argument)};
        return {argument.toUpper(), {}};
    }
    if (command == QLatin1String("power")) {
        if (argument == QLatin1String("on")) return {code(Cmd::PowerOn), {}};
        if (argument == QLatin1String("off")) return {code(Cmd::PowerOff), {}};
        return {{}, QStringLiteral("power takes on or off")};
    }
    if (command == QLatin1String("input")) {
        if (const auto c = inputCode(argument)) return {*c, {}};
        return {{}, QStringLiteral("no input named \"%1\"").arg(argument)};
    }
    if (command == QLatin1String("volume")) {
        if (argument == QLatin1String("up")) return {code(Cmd::MasterVolUp), {}};
        if (argument == QLatin1String("down")) return {code(Cmd::MasterVolDown), {}};
        if (argument == QLatin1String("mute")) return {code(Cmd::MasterVolMuteOn), {}};
        if (argument == QLatin1String("unmute")) return {code(Cmd::MasterVolMuteOff), {}};
        return {{}, QStringLiteral("volume takes up, down, mute or unmute")};
    }
    return {};
}

// Prints what the receiver reports while "watch" runs.
class Watcher : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void report(const QString &message) { out() << "report " << message << Qt::endl; }
    void volumeMain(double db) {
        out() << "volume " << QString::number(db, 'f', 1) << " dB" << Qt::endl;
    }
    void volumeZone2(double db) {
        out() << "zone2 volume " << QString::number(db, 'f', 1) << " dB" << Qt::endl;
    }
    void terminate() {
        out() << "Velmora ends" << Qt::endl;
        QCoreApplication::exit(0);
    }
};

int run(const QStringList &args) {
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        out() << kHelp;
        out().flush();
        return args.isEmpty() ? Usage : Done;
    }
    const QString command = args.at(0);
    const QString argument = args.value(1);
    static const QStringList withArgument{"send", "power", "input", "volume"};
    static const QStringList withoutArgument{"status", "connect", "disconnect",
                                             "info",   "watch",   "quit"};
    const bool known = (withArgument.contains(command) && args.size() == 2) ||
                       (withoutArgument.contains(command) && args.size() == 1);
    if (!known)
        return fail(Usage, QStringLiteral("unknown command \"%1\"; see velmora-ctl --help")
                               .arg(args.join(QLatin1Char(' '))));
    const Request request = sendingRequest(command, argument);
    if (!request.error.isEmpty()) return fail(Usage, request.error);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(NotRunning, QStringLiteral("no session bus: ") + bus.lastError().message());
    const bool wasRunning = bus.interface()->isServiceRegistered(kService);
    // Ending a program that does not run is not worth starting it.
    if (!wasRunning && command == QLatin1String("quit"))
        return fail(NotRunning, QStringLiteral("Velmora is not running"));
    // The call starts Velmora when it does not run (bus activation).
    const QDBusReply<QDBusObjectPath> created =
        bus.call(QDBusMessage::createMethodCall(kService, kHostPath, kHostInterface,
                                                QStringLiteral("CreateAddIn")),
                 QDBus::Block, 30000);
    if (!created.isValid())
        return fail(NotRunning,
                    QStringLiteral("Velmora is not running and could not be started (%1)")
                        .arg(created.error().message()));
    QDBusInterface addIn(kService, created.value().path(), kAddInInterface, bus);
    addIn.setProperty("AddInName", QStringLiteral("velmora-ctl"));
    addIn.setProperty("AddInVersion", QStringLiteral(VELMORA_VERSION_STRING));
    // The watcher listens before it joins, so that nothing said meanwhile is missed.
    Watcher watcher;
    if (command == QLatin1String("watch")) {
        const QString path = created.value().path();
        bus.connect(kService, path, kAddInInterface, QStringLiteral("ReceivedCommand"), &watcher,
                    SLOT(report(QString)));
        bus.connect(kService, path, kAddInInterface, QStringLiteral("VolumeMain"), &watcher,
                    SLOT(volumeMain(double)));
        bus.connect(kService, path, kAddInInterface, QStringLiteral("VolumeZone2"), &watcher,
                    SLOT(volumeZone2(double)));
        bus.connect(kService, path, kAddInInterface, QStringLiteral("Terminate"), &watcher,
                    SLOT(terminate()));
    }
    addIn.call(QStringLiteral("AddInRegister"));
    // A Velmora started for this call would otherwise stay hidden: it waits for its add-in.
    if (!wasRunning) addIn.call(QStringLiteral("Show"));

    if (command == QLatin1String("status")) {
        const QDBusMessage text = addIn.call(QStringLiteral("GetText"));
        if (text.type() != QDBusMessage::ReplyMessage) return fail(Failed, text.errorMessage());
        for (const QVariant &line : text.arguments())
            out() << line.toString() << Qt::endl;
        return Done;
    }
    if (command == QLatin1String("watch")) return QCoreApplication::exec();
    if (command == QLatin1String("quit")) {
        addIn.call(QStringLiteral("AddInUnRegister"));
        addIn.call(QStringLiteral("Quit"));
        return Done;
    }
    if (command == QLatin1String("connect") || command == QLatin1String("disconnect")) {
        const bool connecting = command == QLatin1String("connect");
        const QDBusMessage done = connecting ? addIn.call(QStringLiteral("Connect"), false, 0)
                                             : addIn.call(QStringLiteral("Disconnect"));
        if (done.type() != QDBusMessage::ReplyMessage) return fail(Failed, done.errorMessage());
        const bool open = addIn.property("Connected").toBool();
        addIn.call(QStringLiteral("AddInUnRegister"));
        if (connecting && !open)
            return fail(NotConnected, QStringLiteral("Velmora could not connect (its window "
                                                     "says why)"));
        return Done;
    }
    if (!addIn.property("Connected").toBool())
        return fail(NotConnected, QStringLiteral("Velmora is not connected to a receiver "
                                                 "(choose Connect in its window, or start it "
                                                 "with -C1)"));
    if (command == QLatin1String("info")) {
        const QDBusMessage info = addIn.call(QStringLiteral("GetInformation"));
        const QVariantList a = info.arguments();
        if (info.type() != QDBusMessage::ReplyMessage || a.size() < 5)
            return fail(Failed, info.errorMessage());
        out() << "Model ID: " << a.at(1).toString() << Qt::endl
              << "Model: " << a.at(2).toString() << Qt::endl
              << "Version: " << a.at(3).toString() << Qt::endl;
        return Done;
    }
    const QDBusMessage sent = addIn.call(QStringLiteral("SendCommand"), request.code);
    if (sent.type() != QDBusMessage::ReplyMessage) return fail(Failed, sent.errorMessage());
    addIn.call(QStringLiteral("AddInUnRegister"));
    return Done;
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return run(args);
}

#include "velmora-ctl.moc"
