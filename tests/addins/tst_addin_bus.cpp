// The add-in host on a private session bus, used by real clients in their own processes:
// velmora-ctl and a client with an event sink; and the bus starting the program for a client.
#include "addins/AddInService.h"
#include "addins/clsAddIns.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"

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
    QString out;
    QString err;
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

class TestAddInBus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void ctlDrivesTheReceiver();
    void watchFollowsReportsUntilTheClientLeaves();
    void sinkVetoesTheEnd();
    void callStartsTheProgram();

private:
    Form_Velmora &serving();

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestAddInBus::init() {
    env = std::make_unique<TestEnvironment>();
    gAddIns = std::make_unique<clsAddIns>();
}

void TestAddInBus::cleanup() {
    env.reset();
    sim.reset();
}

Form_Velmora &TestAddInBus::serving() {
    startAddInService();
    if (!addInService()) qFatal("the add-in service did not start on the test bus");
    sim = std::make_unique<SimulatedReceiver>();
    return sim->connectMainWindow();
}

void TestAddInBus::ctlDrivesTheReceiver() {
    Form_Velmora &main = serving();
    Result r = ctl({"send", "07A16"});
    QCOMPARE(r.exitCode, 0);
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT TUNER"));
    r = ctl({"input", "dvd"});
    QCOMPARE(r.exitCode, 0);
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT DVD"));
    QCOMPARE(commandsIn(sim->takeReceived()), (QStringList{"07A16", "07AC1"}));
    r = ctl({"status"});
    QCOMPARE(r.out.split(QLatin1Char('\n')).first(), QStringLiteral("INPUT DVD"));
    r = ctl({"info"});
    QVERIFY2(r.out.startsWith(QStringLiteral("Model ID: R0088\n")), qPrintable(r.out));
    // Every client left again: its host object went with it.
    QTRY_COMPARE(addInService()->objectCount(), 0);
    QCOMPARE(gAddIns->Count(), 0L);

    QCOMPARE(ctl({"volume", "sideways"}).exitCode, 64);
    QCOMPARE(ctl({"dance"}).exitCode, 64);
    main.Menu_Connect->trigger(); // disconnect
    r = ctl({"power", "off"});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.err.contains(QStringLiteral("not connected")));
    QCOMPARE(ctl({"connect"}).exitCode, 0);
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ctl({"disconnect"}).exitCode, 0);
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Connect"));
}

void TestAddInBus::watchFollowsReportsUntilTheClientLeaves() {
    serving();
    QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
    QProcess watch;
    QByteArray seen;
    connect(&watch, &QProcess::readyReadStandardOutput,
            [&] { seen += watch.readAllStandardOutput(); });
    watch.start(QStringLiteral(VELMORA_CTL), {"watch"});
    QTRY_COMPARE(gAddIns->Count(), 1L);
    sim->control(QStringLiteral("volume up 2"));
    QTRY_VERIFY(seen.contains("report 202679\nvolume -39.0 dB\n"));
    watch.kill();
    QTRY_COMPARE(gAddIns->Count(), 0L);
    QCOMPARE(refresh.count(), 2);
    watch.waitForFinished();
}

void TestAddInBus::sinkVetoesTheEnd() {
    Form_Velmora &main = serving();
    QProcess client;
    QByteArray said;
    connect(&client, &QProcess::readyReadStandardOutput,
            [&] { said += client.readAllStandardOutput(); });
    client.start(QStringLiteral(VELMORA_SINK_CLIENT), {"1"});
    QTRY_VERIFY(said.contains("ready"));
    QCOMPARE(gAddIns->Count(), 1L);
    QVERIFY(!main.close()); // the client refused
    QVERIFY(main.isVisible());
    QVERIFY(gAddIns);
    client.kill();
    client.waitForFinished();
    QTRY_COMPARE(gAddIns->Count(), 0L);
    QVERIFY(main.close());
}

void TestAddInBus::callStartsTheProgram() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(!bus.interface()->isServiceRegistered(QStringLiteral("org.velmora.Velmora")));
    // The program the bus starts keeps its settings in the test's folder.
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    update << QVariant::fromValue(QMap<QString, QString>{{"XDG_CONFIG_HOME", env->folder()}});
    const QDBusMessage updated = bus.call(update);
    QVERIFY2(updated.type() == QDBusMessage::ReplyMessage, qPrintable(updated.errorMessage()));

    const Result r = ctl({"status"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.startsWith(QStringLiteral("Velmora\n")), qPrintable(r.out + r.err));
    QVERIFY(bus.interface()->isServiceRegistered(QStringLiteral("org.velmora.Velmora")));
    QCOMPARE(ctl({"quit"}).exitCode, 0);
    QTRY_VERIFY_WITH_TIMEOUT(
        !bus.interface()->isServiceRegistered(QStringLiteral("org.velmora.Velmora")), 10000);
    // It ended in order: its settings were saved.
    QVERIFY(QFile::exists(env->folder() + QStringLiteral("/Velmora/Velmora.conf")));
    QCOMPARE(ctl({"quit"}).exitCode, 1); // not running, and not started just to end it
}

QTEST_MAIN(TestAddInBus)
#include "tst_addin_bus.moc"
