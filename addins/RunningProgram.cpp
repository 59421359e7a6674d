// SPDX-License-Identifier: GPL-3.0-or-later
// One Velmora at a time: the running program's side on the bus and the hand-over of a second
// start.
#include "addins/RunningProgram.h"

#include "addins/AddInService.h"
#include "addins/clsAddIns.h"
#include "base/CommandLine.h"
#include "base/ErrorHandling.h"
#include "link/ComPort.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMetaClassInfo>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace {
constexpr int kAnswerTimeoutMs = 10000;

std::unique_ptr<RunningProgram> &exported() {
    static std::unique_ptr<RunningProgram> p;
    return p;
}

struct HandOvers {
    bool held = false;
    std::optional<CommandLineOptions> pending; // the latest one wins
};
HandOvers &handOvers() {
    static HandOvers h;
    return h;
}

void apply(const CommandLineOptions &options) {
    ignoringFailures([&] { Form_Velmora::instance().takeOverCommandLine(options); });
}

QString programInterface() {
    const QMetaObject &mo = RunningProgram::staticMetaObject;
    return QString::fromLatin1(mo.classInfo(mo.indexOfClassInfo("D-Bus Interface")).value());
}
} // namespace

bool RunningProgram::Activate(int port, bool powerOn, bool mini) {
    CommandLineOptions options;
    options.connect = port != 0;
    options.port = port;
    options.powerOn = powerOn ? 1 : 0;
    options.mini = mini;
    bool connected = false;
    ignoringFailures([&] { connected = addInLinkOpen(); });
    if (handOvers().held)
        handOvers().pending = options;
    else
        QTimer::singleShot(0, this, [options] { apply(options); });
    return connected;
}

void exportRunningProgram(QDBusConnection bus) {
    if (exported() || !bus.isConnected()) return;
    exported() = std::make_unique<RunningProgram>();
    bus.registerObject(QLatin1String(kRunningProgramPath), exported().get(),
                       QDBusConnection::ExportScriptableSlots);
}

void unexportRunningProgram() {
    exported().reset(); // the connection forgets an object that goes
}

void holdHandOvers(bool hold) {
    handOvers().held = hold;
    if (hold || !handOvers().pending) return;
    const CommandLineOptions options = *handOvers().pending;
    handOvers().pending.reset();
    apply(options);
}

std::optional<int> handOverToRunningProgram(const QString &commandLine, QDBusConnection bus) {
    const CommandLineOptions options = evaluateCommandLine(commandLine);
    if (options.help || !bus.isConnected()) return std::nullopt;
    const QString service = QLatin1String(kAddInServiceName);
    const QString owner = bus.interface()->serviceOwner(service);
    if (owner.isEmpty() || owner == bus.baseService()) return std::nullopt;

    // To the owner itself, so that the call never starts a program.
    QDBusMessage call = QDBusMessage::createMethodCall(
        owner, QLatin1String(kRunningProgramPath), programInterface(), QStringLiteral("Activate"));
    call << int(options.connect ? options.port : 0) << (options.powerOn != 0) << options.mini;
    const QDBusMessage answer = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
    QTextStream err(stderr);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        err << "velmora: Velmora is already running but did not take the command line over ("
            << answer.errorMessage() << ")" << Qt::endl;
        return 1;
    }
    if (answer.arguments().constFirst().toBool() && options.connect)
        err << "velmora: Velmora is already running and connected; it keeps its connection"
            << Qt::endl;
    return 0;
}
