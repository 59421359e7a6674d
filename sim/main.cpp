// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-receiver-sim: a receiver on a pseudo-terminal (or TCP port) for when none is wired.
#include "base/SignalPipe.h"
#include "sim/ConsoleInput.h"
#include "sim/ReceiverSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {
void printLine(FILE *to, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
    // Scripts read this output through pipes; every line must reach them at once.
    std::fflush(to);
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-receiver-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates a Yamaha AV receiver on its RS-232C port. Opens a pseudo-terminal (or the\n"
        "given serial device, or listens on a TCP port as a serial-to-network bridge does),\n"
        "prints the device to open (or tcp://localhost:PORT) as the first line of its output,\n"
        "and then reports what goes over the line. Commands on standard input act on the\n"
        "receiver as its front panel and remote control would, or inject faults."));
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Model ID to answer with (default %1).")
                                             .arg(QLatin1String(Sim::kDefaultModel)),
                                         QStringLiteral("ID"), QLatin1String(Sim::kDefaultModel));
    const QCommandLineOption deviceOption(
        QStringLiteral("device"),
        QStringLiteral("Use this serial device instead of a pseudo-terminal."),
        QStringLiteral("PATH"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Listen on this TCP port of every address instead (tcp:0: a free one); "
                       "one client at a time is the line's far end, a new one replaces it."),
        QStringLiteral("tcp:PORT"));
    const QCommandLineOption standbyOption(QStringLiteral("standby"),
                                           QStringLiteral("Start in standby."));
    const QCommandLineOption eofOption(
        QStringLiteral("exit-on-eof"),
        QStringLiteral("End when standard input ends (by default it keeps running)."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help."));
    parser.addOptions(
        {modelOption, deviceOption, listenOption, standbyOption, eofOption, helpOption});
    if (!parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, parser.errorText());
        return 2;
    }
    if (parser.isSet(helpOption)) {
        printLine(stdout,
                  parser.helpText() +
                      QStringLiteral("\nControl commands, one per line on standard input:\n") +
                      Sim::ReceiverSimulator::helpText());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printLine(stderr,
                  QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());
        return 2;
    }
    const QString model = parser.value(modelOption).toUpper();
    if (model.size() != 5) {
        printLine(stderr, QStringLiteral("a model ID has five characters, e.g. R0073"));
        return 2;
    }

    const QString listen = parser.value(listenOption);
    bool portOk = false;
    const uint port = listen.mid(4).toUInt(&portOk);
    if (parser.isSet(listenOption) &&
        (!listen.startsWith(QLatin1String("tcp:")) || !portOk || port > 65535)) {
        printLine(stderr, QStringLiteral("--listen takes tcp:PORT, PORT from 0 to 65535"));
        return 2;
    }

    Sim::ReceiverSimulator simulator(model, parser.isSet(standbyOption));
    const bool opened = parser.isSet(listenOption) ? simulator.listenTcp(quint16(port))
                        : parser.isSet(deviceOption)
                            ? simulator.openDevice(parser.value(deviceOption))
                            : simulator.openPty();
    if (!opened) {
        printLine(stderr, simulator.errorString());
        return 1;
    }
    printLine(stdout, simulator.devicePath());

    QObject::connect(&simulator, &Sim::ReceiverSimulator::activity,
                     [](const QString &line) { printLine(stdout, line); });
    QObject::connect(&simulator, &Sim::ReceiverSimulator::quitRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);

    Sim::ConsoleInput console;
    QObject::connect(&console, &Sim::ConsoleInput::lineRead, &simulator,
                     [&simulator](const QString &line) {
                         const QString reply = simulator.control(line);
                         if (!reply.isEmpty()) printLine(stdout, reply);
                     });
    if (parser.isSet(eofOption))
        QObject::connect(&console, &Sim::ConsoleInput::endOfInput, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
#ifdef Q_OS_UNIX
    // SIGTERM and SIGINT end the event loop, so the line is closed and the process exits normally.
    callOnSignals({SIGTERM, SIGINT}, [&app] { app.quit(); });
    // A script that stops reading our output must not end the receiver.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    printLine(stderr, QStringLiteral("%1 (%2) %3; type \"help\" for commands")
                          .arg(model, Sim::modelName(model),
                               parser.isSet(standbyOption) ? "in standby" : "on"));
    const int rc = app.exec();
    simulator.close();
    return rc;
}
