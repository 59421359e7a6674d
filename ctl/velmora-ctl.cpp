// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-ctl: drives the receiver from the shell through a running Velmora, as an add-in of its
// own. The commands that act on the receiver or the window start Velmora when it does not run
// (through the session bus); the others only talk to a running one.
#include "AddInHostInterface.h"
#include "addins/BusNames.h"
#include "link/CommandCatalogue.h"
#include "state/PanelTables.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {
using Host = org::velmora::Velmora::AddInHost;
using AddIn = org::velmora::Velmora::AddIn;

constexpr int kCallTimeoutMs = 30000; // a connection attempt or a start takes a few seconds
constexpr int kEndTimeoutMs = 10000;  // quit: how long Velmora may take to leave the bus

enum Exit { Done = 0, NotRunning = 1, NotConnected = 2, Failed = 3, Vetoed = 4, Usage = 64 };

const char kUsage[] =
    "Usage: velmora-ctl [--no-start] COMMAND [ARGUMENT]\n"
    "       velmora-ctl --help | --version\n"
    "Drives the receiver through Velmora on the session bus.\n"
    "\n"
    "Commands that start Velmora when it is not running:\n"
    "  show                 bring Velmora's window to the front\n"
    "  connect              connect to the receiver on the port of Velmora's Setup menu\n"
    "  send CODE            send a five-character command code, e.g. 07A1D\n"
    "  power on|off         switch the receiver on or to standby\n"
    "  input NAME           select an input of the main zone: PHONO, CD, TUNER, TAPE, MD,\n"
    "                       LD, DVD, D-TV, CBL/SAT, VCR1, VCR2, VCR3, V-AUX, CD-R\n"
    "  volume up|down       one step of the main zone's volume\n"
    "  volume mute|unmute   mute the main zone or end the mute\n"
    "Commands for a running Velmora:\n"
    "  status               the two status lines of Velmora's display\n"
    "  info                 model ID, model and software version of the receiver\n"
    "  watch                print every report and volume change until Velmora ends\n"
    "  disconnect           close the connection to the receiver\n"
    "  quit                 end Velmora and wait until it has ended (add-ins may refuse)\n"
    "\n"
    "Options:\n"
    "  --no-start           never start Velmora: fail when it is not running\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0   done\n"
    "  1   Velmora is not running and was not started, or could not be started;\n"
    "      watch: Velmora ended\n"
    "  2   Velmora is not connected to a receiver, or nothing was sent (the link\n"
    "      was closed or busy)\n"
    "  3   a call to Velmora failed, or Velmora did not end within 10 seconds\n"
    "  4   the end was vetoed by an add-in\n"
    "  64  usage: no command, an unknown command or option, a missing or wrong\n"
    "      argument\n";

QTextStream &out() {
    static QTextStream s(stdout);
    return s;
}

int fail(int code, const QString &message) {
    QTextStream(stderr) << "velmora-ctl: " << message << Qt::endl;
    return code;
}

int usageError(const QString &message) {
    QTextStream err(stderr);
    err << "velmora-ctl: " << message << "\n\n" << kUsage;
    return Usage;
}

// The commands: whether they start Velmora, and what their argument is (null: none).
struct Command {
    const char *name;
    bool starts;
    const char *argument;
};
constexpr Command kCommands[] = {
    {"show", true, nullptr},
    {"connect", true, nullptr},
    {"send", true, "a five-character command code such as 07A1D"},
    {"power", true, "on or off"},
    {"input", true, "an input name such as TUNER"},
    {"volume", true, "up, down, mute or unmute"},
    {"status", false, nullptr},
    {"info", false, nullptr},
    {"watch", false, nullptr},
    {"disconnect", false, nullptr},
    {"quit", false, nullptr},
};

QString code(Cmd id) {
    return QString::fromLatin1(commandEntry(id).code);
}

std::optional<QString> inputCode(const QString &name) {
    if (const InputButton *input = inputButtonByName(name)) return code(input->mainZone);
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
        return {{}, QStringLiteral("power takes on or off, not \"%1\"").arg(argument)};
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
        return {{},
                QStringLiteral("volume takes up, down, mute or unmute, not \"%1\"").arg(argument)};
    }
    return {};
}

// The add-in is in Velmora's list while the command runs.
class Registration {
public:
    explicit Registration(AddIn &addIn) : m_addIn(addIn) {
        m_addIn.setAddInName(QStringLiteral("velmora-ctl"));
        m_addIn.setAddInVersion(QStringLiteral(VELMORA_VERSION_STRING));
        m_addIn.AddInRegister().waitForFinished();
    }
    ~Registration() { m_addIn.AddInUnRegister().waitForFinished(); }
    Registration(const Registration &) = delete;
    Registration &operator=(const Registration &) = delete;

private:
    AddIn &m_addIn;
};

// Waits until the name has left the bus; false when it is still there after the time given.
bool leftTheBus(QDBusConnection bus, const QString &name, int timeoutMs) {
    QDBusServiceWatcher watcher(name, bus, QDBusServiceWatcher::WatchForUnregistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (bus.interface()->isServiceRegistered(name)) loop.exec();
    return !bus.interface()->isServiceRegistered(name);
}

int quit(QDBusConnection bus, AddIn &addIn) {
    // The answer comes once the end is decided: an error when an add-in refused it.
    QDBusPendingCall asked = addIn.Quit();
    asked.waitForFinished();
    if (asked.isError() && asked.error().name() == QLatin1String(kErrorVetoed))
        return fail(Vetoed, QStringLiteral("the end was vetoed by an add-in"));
    if (leftTheBus(bus, QString::fromLatin1(kAddInServiceName), kEndTimeoutMs)) return Done;
    if (asked.isError()) return fail(Failed, asked.error().message());
    return fail(
        Failed,
        QStringLiteral("Velmora has not ended within %1 seconds").arg(kEndTimeoutMs / 1000));
}

// Prints what the receiver reports until Velmora leaves the bus.
int watch(QDBusConnection bus, AddIn &addIn) {
    QObject::connect(&addIn, &AddIn::ReceivedCommand,
                     [](const QString &message) { out() << "report " << message << Qt::endl; });
    QObject::connect(&addIn, &AddIn::VolumeMain, [](double db) {
        out() << "volume " << QString::number(db, 'f', 1) << " dB" << Qt::endl;
    });
    QObject::connect(&addIn, &AddIn::VolumeZone2, [](double db) {
        out() << "zone2 volume " << QString::number(db, 'f', 1) << " dB" << Qt::endl;
    });
    const QString service = QString::fromLatin1(kAddInServiceName);
    QDBusServiceWatcher ending(service, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&ending, &QDBusServiceWatcher::serviceUnregistered,
                     [] { QCoreApplication::exit(NotRunning); });
    // The watcher listens before it joins, so that nothing said meanwhile is missed.
    const Registration joined(addIn);
    if (!bus.interface()->isServiceRegistered(service))
        return fail(NotRunning, QStringLiteral("Velmora ended"));
    const int code = QCoreApplication::exec();
    if (code == NotRunning) return fail(NotRunning, QStringLiteral("Velmora ended"));
    return code;
}

bool isConnected(AddIn &addIn) {
    return addIn.connected();
}

int sendTo(AddIn &addIn, const QString &code) {
    // A link busy with another exchange (the port poll's read) is free again in a few
    // milliseconds: the command is tried again twice before it counts as not sent.
    for (int attempt = 1;; ++attempt) {
        QDBusPendingCall sent = addIn.SendCommand(code);
        sent.waitForFinished();
        if (!sent.isError()) return Done;
        if (sent.error().name() != QLatin1String(kErrorNotSent))
            return fail(Failed, sent.error().message());
        if (attempt == 3 || !isConnected(addIn))
            return fail(NotConnected, QStringLiteral("nothing was sent: the link to the receiver "
                                                     "is closed or busy"));
        QThread::msleep(100);
    }
}

int run(const QStringList &args) {
    QStringList words;
    bool noStart = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out() << kUsage;
            return Done;
        }
        if (arg == QLatin1String("--version")) {
            out() << "velmora-ctl (Velmora) " << VELMORA_VERSION_STRING << Qt::endl;
            return Done;
        }
        if (arg == QLatin1String("--no-start"))
            noStart = true;
        else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        else
            words << arg;
    }
    if (words.isEmpty()) return usageError(QStringLiteral("no command given"));
    const QString command = words.at(0);
    const auto known = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command &c) { return command == c.name; });
    if (known == std::end(kCommands))
        return usageError(QStringLiteral("unknown command \"%1\"").arg(command));
    if (known->argument && words.size() < 2)
        return usageError(QStringLiteral("%1 needs an argument: %2").arg(command, known->argument));
    if (words.size() > (known->argument ? 2 : 1))
        return usageError(QStringLiteral("too many arguments for %1: %2")
                              .arg(command, words.mid(known->argument ? 2 : 1).join(' ')));
    const Request request = sendingRequest(command, words.value(1));
    if (!request.error.isEmpty()) return usageError(request.error);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(NotRunning, QStringLiteral("no session bus: ") + bus.lastError().message());
    // A running Velmora is called by its unique name, so that no call can start another one;
    // otherwise the call starts it (bus activation), for the commands that may.
    const QString owner = bus.interface()->serviceOwner(QString::fromLatin1(kAddInServiceName));
    const bool running = !owner.isEmpty();
    if (!running && (noStart || !known->starts))
        return fail(NotRunning, QStringLiteral("Velmora is not running"));
    const QString service = running ? owner : QString::fromLatin1(kAddInServiceName);

    Host host(service, QString::fromLatin1(kAddInServicePath), bus);
    host.setTimeout(kCallTimeoutMs);
    const QDBusReply<QDBusObjectPath> created = host.CreateAddIn();
    if (!created.isValid()) {
        if (running) return fail(Failed, created.error().message());
        return fail(NotRunning, QStringLiteral("Velmora is not running and could not be "
                                               "started (%1)")
                                    .arg(created.error().message()));
    }
    AddIn addIn(service, created.value().path(), bus);
    addIn.setTimeout(kCallTimeoutMs);

    // Ending works without joining, and so the add-in is not asked whether it may end.
    if (command == QLatin1String("quit")) return quit(bus, addIn);
    if (command == QLatin1String("watch")) return watch(bus, addIn);

    const Registration joined(addIn);
    // A Velmora started for this call would otherwise stay hidden: it waits for its add-in.
    if (!running || command == QLatin1String("show")) addIn.Show().waitForFinished();
    if (command == QLatin1String("show")) return Done;
    if (command == QLatin1String("status")) {
        QDBusPendingReply<QString, QString> text = addIn.GetText();
        text.waitForFinished();
        if (text.isError()) return fail(Failed, text.error().message());
        out() << text.argumentAt<0>() << Qt::endl << text.argumentAt<1>() << Qt::endl;
        return Done;
    }
    if (command == QLatin1String("connect")) {
        if (isConnected(addIn)) {
            out() << "Velmora is already connected" << Qt::endl;
            return Done;
        }
        QDBusPendingCall done = addIn.Connect(false, 0);
        done.waitForFinished();
        if (done.isError()) return fail(Failed, done.error().message());
        if (!isConnected(addIn))
            return fail(NotConnected,
                        QStringLiteral("Velmora could not connect (its window says why)"));
        return Done;
    }
    if (command == QLatin1String("disconnect")) {
        if (!isConnected(addIn)) {
            out() << "Velmora is not connected" << Qt::endl;
            return Done;
        }
        QDBusPendingCall done = addIn.Disconnect();
        done.waitForFinished();
        if (done.isError()) return fail(Failed, done.error().message());
        return Done;
    }
    if (!isConnected(addIn))
        return fail(NotConnected, QStringLiteral("Velmora is not connected to a receiver "
                                                 "(velmora-ctl connect, or Connect in its "
                                                 "window)"));
    if (command == QLatin1String("info")) {
        QDBusPendingReply<int, QString, QString, QString, QString> info = addIn.GetInformation();
        info.waitForFinished();
        if (info.isError()) return fail(Failed, info.error().message());
        out() << "Model ID: " << info.argumentAt<1>() << Qt::endl
              << "Model: " << info.argumentAt<2>() << Qt::endl
              << "Version: " << info.argumentAt<3>() << Qt::endl;
        return Done;
    }
    return sendTo(addIn, request.code);
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return run(args);
}
