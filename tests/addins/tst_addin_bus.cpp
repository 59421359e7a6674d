// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on a private session bus, used by real clients in their own processes:
// velmora-ctl and a client with an event sink; and the bus starting the program for a client.
#include "addins/AddInService.h"
#include "addins/clsAddIns.h"
#include "support/WindowSuite.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {
struct Result {
    int exitCode = -1;
    QString out, err;
};

// Runs velmora-ctl while this program keeps serving the bus.
Result ctl(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_CTL), args);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000)) p.kill();
    p.waitForFinished(1000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}
} // namespace

class TestAddInBus : public WindowSuite {
    Q_OBJECT

    Form_Velmora &serving() {
        startAddInService();
        if (!addInService()) qFatal("the add-in service did not start on the test bus");
        return connected();
    }

private Q_SLOTS:
    void init() {
        WindowSuite::init();
        gAddIns = std::make_unique<clsAddIns>();
    }

    void ctlDrivesTheReceiver() {
        Form_Velmora &main = serving();
        QCOMPARE(ctl({"send", "07A16"}).exitCode, 0);
        QTRY_COMPARE(main.Line1->text(), "INPUT TUNER");
        QCOMPARE(ctl({"input", "dvd"}).exitCode, 0);
        QTRY_COMPARE(main.Line1->text(), "INPUT DVD");
        QCOMPARE(commandsIn(sim->takeReceived()), (QStringList{"07A16", "07AC1"}));
        QVERIFY(ctl({"status"}).out.startsWith("INPUT DVD\n"));
        Result r = ctl({"info"});
        QVERIFY2(r.out.startsWith("Model ID: R0088\n"), qPrintable(r.out));
        // Every client left again: its host object went with it.
        QTRY_COMPARE(addInService()->objectCount(), 0);
        QCOMPARE(gAddIns->Count(), 0L);

        QCOMPARE(ctl({"dance"}).exitCode, 64);
        main.Menu_Connect->trigger(); // disconnect
        r = ctl({"power", "off"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("not connected"));
        QCOMPARE(ctl({"connect"}).exitCode, 0);
        QCOMPARE(main.Menu_Connect->text(), "Disconnect");
        QCOMPARE(ctl({"disconnect"}).exitCode, 0);
        QCOMPARE(main.Menu_Connect->text(), "Connect");
    }

    // Clients in their own processes: "watch" hears reports, a client's event sink refuses the
    // end; each host object goes with its client.
    void clientsHearReportsAndVetoTheEnd() {
        Form_Velmora &main = serving();
        QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
        QProcess watch, sink;
        watch.start(QStringLiteral(VELMORA_CTL), {"watch"});
        QTRY_COMPARE(gAddIns->Count(), 1L);
        sim->control("volume up 2");
        QTRY_VERIFY(watch.peek(4096).contains("report 202679\nvolume -39.0 dB\n"));
        watch.kill();
        QTRY_COMPARE(gAddIns->Count(), 0L);
        QCOMPARE(refresh.count(), 2);
        watch.waitForFinished();

        sink.start(QStringLiteral(VELMORA_SINK_CLIENT), {"1"});
        QTRY_VERIFY(sink.canReadLine()); // "ready"
        QCOMPARE(gAddIns->Count(), 1L);
        QVERIFY(!main.close());
        QVERIFY(main.isVisible());
        sink.kill();
        sink.waitForFinished();
        QTRY_COMPARE(gAddIns->Count(), 0L);
        QVERIFY(main.close());
    }

    void callStartsTheProgram() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(!bus.interface()->isServiceRegistered("org.velmora.Velmora"));
        // The program the bus starts keeps its settings in the test's folder.
        qDBusRegisterMetaType<QMap<QString, QString>>();
        QDBusMessage update = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), "/org/freedesktop/DBus",
            QStringLiteral("org.freedesktop.DBus"), "UpdateActivationEnvironment");
        update << QVariant::fromValue(QMap<QString, QString>{{"XDG_CONFIG_HOME", env->folder()}});
        const QDBusMessage updated = bus.call(update);
        QVERIFY2(updated.type() == QDBusMessage::ReplyMessage, qPrintable(updated.errorMessage()));

        const Result r = ctl({"status"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("Velmora\n"), qPrintable(r.out + r.err));
        QVERIFY(bus.interface()->isServiceRegistered("org.velmora.Velmora"));
        QCOMPARE(ctl({"quit"}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!bus.interface()->isServiceRegistered("org.velmora.Velmora"),
                                 10000);
        // It ended in order: its settings were saved.
        QVERIFY(QFile::exists(env->folder() + QStringLiteral("/Velmora/Velmora.conf")));
        QCOMPARE(ctl({"quit"}).exitCode, 1); // not running, and not started just to end it
    }
};

QTEST_MAIN(TestAddInBus)
#include "tst_addin_bus.moc"
