// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-ctl and a second start of velmora, as real processes on a private session bus against
// the program serving in this process; and the bus starting the program for velmora-ctl.
#include "addins/AddInService.h"
#include "addins/RunningProgram.h"
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "support/WindowSuite.h"
#include "ui/mini/Form_Mini.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QFile>
#include <QProcess>
#include <csignal>

namespace {
const QString kName = QStringLiteral("org.velmora.Velmora");

struct Result {
    int exitCode = -1;
    QString out, err;
};

// Runs a program while this one keeps serving the bus.
Result run(const QString &program, const QStringList &args, int timeoutMs) {
    QProcess p;
    p.start(program, args);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, timeoutMs)) p.kill();
    p.waitForFinished(1000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}
Result ctl(const QStringList &args) {
    return run(QStringLiteral(VELMORA_CTL), args, 30000);
}
// A second velmora, which hands over and ends at once.
Result velmora(const QStringList &args) {
    return run(QStringLiteral(VELMORA_EXE), args, 10000);
}

bool velmoraOnTheBus() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kName);
}

// Refusing: running with an add-in that vetoes the end; Busy: connected, the link busy with
// another exchange.
enum Velmora { NotRunning, Running, Connected, Refusing, Busy };
} // namespace
Q_DECLARE_METATYPE(Velmora)

class TestCtl : public WindowSuite {
    Q_OBJECT

    // The program of this process on the bus, with its main window loaded.
    Form_Velmora &serving(Velmora state) {
        exportRunningProgram();
        startAddInService();
        if (!addInService()) qFatal("the add-in service did not start on the test bus");
        return state == Connected ? connected() : shownMainWindow();
    }

private Q_SLOTS:
    void init() {
        WindowSuite::init();
        gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
    }
    void cleanup() {
        WindowSuite::cleanup();
        // A program that a faulty client started on the bus goes with the test.
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (velmoraOnTheBus()) ::kill(pid_t(bus.interface()->servicePid(kName).value()), SIGKILL);
        QTRY_VERIFY(!velmoraOnTheBus());
    }

    void commands_data() {
        // The arguments and the commands the receiver was sent, separated by blanks.
        columns<QString, Velmora, int, QString, QString, QString>("args", "state", "exitCode",
                                                                  "stream", "text", "sent");
        row("no command", "", NotRunning, 64, "err", "Usage: velmora-ctl", "");
        row("unknown command", "dance", NotRunning, 64, "err",
            "unknown command \"dance\"\n\nUsage:", "");
        row("missing argument", "power", NotRunning, 64, "err",
            "velmora-ctl: power needs an argument: on or off\n\nUsage:", "");
        row("wrong argument", "volume loud", NotRunning, 64, "err", "up, down, mute or unmute", "");
        row("--help", "--help", NotRunning, 0, "out", "Usage: velmora-ctl", "");
        row("--version", "--version", NotRunning, 0, "out",
            "velmora-ctl (Velmora) " VELMORA_VERSION_STRING "\n", "");
        for (const char *command :
             {"status", "info", "watch", "disconnect", "quit", "--no-start power on"})
            row(command, command, NotRunning, 1, "err", "velmora-ctl: Velmora is not running\n",
                "");
        row("power on, not connected", "power on", Running, 2, "err", "not connected", "");
        row("disconnect, not connected", "disconnect", Running, 0, "out", "not connected", "");
        row("connect, connected: nothing sent", "connect", Connected, 0, "out", "already connected",
            "");
        row("send", "send 07a16", Connected, 0, "out", "", "07A16");
        row("input", "input Vcr-2", Connected, 0, "out", "", "07A13");
        row("info", "info", Connected, 0, "out", "Model ID: R0088\n", "");
        row("send, link busy", "send 07A16", Busy, 2, "err", "nothing was sent", "");
        row("quit, vetoed", "quit", Refusing, 4, "err",
            "velmora-ctl: the end was vetoed by an add-in\n", "");
    }
    void commands() {
        FETCH((QString, Velmora, int, QString, QString, QString), args, state, exitCode, stream,
              text, sent);
        // Without the port poll, whose reads would now and then find a command on a busy link.
        const Velmora serve = state == Refusing ? Running : state == Busy ? Connected : state;
        if (state != NotRunning) serving(serve).Timer_Check->stop();
        clsAddIn refusing(QStringLiteral("refusing"));
        if (state == Refusing) {
            refusing.AddInRegister();
            connect(&refusing, &clsAddIn::Unload, [](int *Cancel) { *Cancel = 1; });
        }
        if (state == Busy) Form_Com::instance().Com->Tag = QStringLiteral("1");
        const Result r = ctl(args.split(' ', Qt::SkipEmptyParts));
        const QString &shown = stream == "out" ? r.out : r.err;
        QVERIFY2(
            r.exitCode == exitCode && shown.contains(text),
            qPrintable(
                QStringLiteral("exit %1\nout: %2\nerr: %3").arg(r.exitCode).arg(r.out, r.err)));
        // Nothing was started for a command that may not start Velmora.
        QCOMPARE(velmoraOnTheBus(), state != NotRunning);
        if (serve == Connected) QCOMPARE(settledCommands().join(' '), sent);
        Form_Com::instance().Com->Tag = QStringLiteral("0");
    }

    void ctlDrivesTheReceiver() {
        Form_Velmora &main = serving(Connected);
        QCOMPARE(ctl({"send", "07A16"}).exitCode, 0);
        QTRY_COMPARE(main.Line1->text(), "INPUT TUNER");
        QVERIFY(ctl({"status"}).out.startsWith("INPUT TUNER\n"));
        QCOMPARE(ctl({"disconnect"}).exitCode, 0);
        QCOMPARE(main.Menu_Connect->text(), "Connect");
        QCOMPARE(ctl({"connect"}).exitCode, 0);
        QCOMPARE(main.Menu_Connect->text(), "Disconnect");
    }

    void watchEndsWithVelmora() {
        serving(Connected);
        QProcess watch;
        watch.start(QStringLiteral(VELMORA_CTL), {"watch"});
        QTRY_COMPARE(gAddIns->Count(), 1L);
        stopAddInService();
        QVERIFY(watch.waitForFinished(10000));
        QCOMPARE(watch.exitCode(), 1);
        QVERIFY(watch.readAllStandardError().contains("Velmora ended"));
    }

    // quit returns once Velmora has left the bus, not when the end has only begun.
    void quitWaitsUntilVelmoraHasLeft() {
        Form_Velmora &main = serving(Running);
        QProcess quit;
        quit.start(QStringLiteral(VELMORA_CTL), {"quit"});
        QTRY_VERIFY(!main.isVisible());
        QTest::qWait(500);
        QCOMPARE(quit.state(), QProcess::Running);
        stopAddInService(); // as the program's last act
        QVERIFY(quit.waitForFinished(10000));
        QCOMPARE(quit.exitCode(), 0);
    }

    // A second velmora hands its command line to the running one and ends.
    void secondStartHandsOver_data() {
        columns<QString, bool, long, bool, QString, QString>("args", "connectedBefore", "port",
                                                             "mini", "sent", "err");
        row("-C2 -P: connects on port 2, switches on", "-C2 -p", false, 2L, false, "07A1D", "");
        row("-M: the mini window", "-M", true, 1L, true, "", "");
        row("-C2 when connected: the connection stays", "-C2 -P", true, 1L, false, "",
            "already running and connected; it keeps its connection");
    }
    void secondStartHandsOver() {
        FETCH((QString, bool, long, bool, QString, QString), args, connectedBefore, port, mini,
              sent, err);
        Form_Velmora &main = serving(connectedBefore ? Connected : Running);
        if (!connectedBefore) sim = std::make_unique<SimulatedReceiver>("R0088", true, 2);
        main.hide();
        const Result r = velmora(args.split(' '));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        // The running program's window comes to the front with the options applied.
        QTRY_VERIFY(mini ? Form_Mini::instance().isVisible() : main.isVisible());
        QTRY_VERIFY(Form_Com::instance().Com->PortOpen());
        QCOMPARE(Form_Com::instance().Com->CommPort(), port);
        QCOMPARE(settledCommands().contains("07A1D"), !sent.isEmpty());
    }

    void callStartsTheProgram() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(!velmoraOnTheBus());
        // The program the bus starts keeps its settings in the test's folder.
        qDBusRegisterMetaType<QMap<QString, QString>>();
        QDBusMessage update =
            QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                           "org.freedesktop.DBus", "UpdateActivationEnvironment");
        update << QVariant::fromValue(QMap<QString, QString>{{"XDG_CONFIG_HOME", env->folder()}});
        QCOMPARE(bus.call(update).type(), QDBusMessage::ReplyMessage);

        Result r = ctl({"show"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(velmoraOnTheBus());
        r = ctl({"status"});
        QVERIFY2(r.out.startsWith("Velmora\n"), qPrintable(r.out + r.err));
        // A second velmora leaves the one the bus started running alone.
        const uint pid = bus.interface()->servicePid(kName);
        QCOMPARE(velmora({}).exitCode, 0);
        QCOMPARE(bus.interface()->servicePid(kName).value(), pid);
        // quit returns once the program has left the bus, having ended in order.
        QCOMPARE(ctl({"quit"}).exitCode, 0);
        QVERIFY(!velmoraOnTheBus());
        QVERIFY(QFile::exists(env->folder() + QStringLiteral("/Velmora/Velmora.conf")));
        // Started by a client that quits it before its window shows, the program ends as well.
        QCOMPARE(run(QStringLiteral(VELMORA_SINK_CLIENT), {"quit"}, 20000).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!velmoraOnTheBus(), 10000);
    }
};

QTEST_MAIN(TestCtl)
#include "tst_ctl.moc"
