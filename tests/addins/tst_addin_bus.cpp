// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on a private session bus, used by real clients in their own processes:
// velmora-ctl watching and the test client (SinkClient.cpp).
#include "addins/AddInService.h"
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "support/WindowSuite.h"

#include <QCloseEvent>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace {
// The test client in its own process; it is ended when it goes out of scope.
struct Client {
    explicit Client(const QStringList &args) { p.start(QStringLiteral(VELMORA_SINK_CLIENT), args); }
    ~Client() {
        p.kill();
        p.waitForFinished();
    }
    // Its next line, waited for while this program serves the bus.
    QString line() {
        (void)QTest::qWaitFor([&] { return p.canReadLine() || p.state() == QProcess::NotRunning; },
                              20000);
        return QString::fromLocal8Bit(p.readLine()).trimmed();
    }
    QProcess p;
};
QString answerOf(const QStringList &args) {
    return Client(args).line();
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
        gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
    }

    // A client in its own process ("watch") hears the reports; its host object goes with it.
    void clientsHearReports() {
        serving();
        QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
        QProcess watch;
        watch.start(QStringLiteral(VELMORA_CTL), {"watch"});
        QTRY_COMPARE(gAddIns->Count(), 1L);
        sim->control("volume up 2");
        QTRY_VERIFY(watch.peek(4096).contains("report 202679\nvolume -39.0 dB\n"));
        watch.kill();
        QTRY_COMPARE(gAddIns->Count(), 0L);
        QCOMPARE(refresh.count(), 2);
        watch.waitForFinished();
    }

    // A host object answers its creator only: a second client can neither call, read, set nor
    // sink it, nor introspect it.
    void strangersAreRefused_data() {
        columns<bool, QString, QString>("foreign", "what", "answer");
        for (const char *what : {"call", "get", "getall", "set", "sink", "introspect"}) {
            QTest::addRow("another's, %s", what)
                << true << what << "org.freedesktop.DBus.Error.AccessDenied";
            QTest::addRow("its own, %s", what) << false << what << "ok";
        }
        // Nor can a client name another program as its event sink.
        row("its own, a sink of another", false, "sinkelsewhere",
            "org.freedesktop.DBus.Error.AccessDenied");
    }
    void strangersAreRefused() {
        QFETCH(bool, foreign);
        QFETCH(QString, what);
        QFETCH(QString, answer);
        startAddInService();
        std::unique_ptr<Client> owner;
        QString path = QStringLiteral("own");
        if (foreign) {
            owner = std::make_unique<Client>(QStringList{"sink", "0"});
            path = owner->line().section(QLatin1Char(' '), 1);
        }
        QCOMPARE(answerOf({"try", path, what}), answer);
    }

    // Paths end in 128 random bits, unrelated to the add-in's ID and to each other, and the
    // bus lists none of them; a client gets at most 64 objects.
    void pathsAreSecretAndLimited() {
        startAddInService();
        Client client({"objects", "65"});
        QStringList paths;
        for (QString l = client.line(); !l.isEmpty() && l != "done"; l = client.line())
            paths << l;
        QCOMPARE(paths.size(), 65);
        QCOMPARE(paths.takeLast(), "org.freedesktop.DBus.Error.LimitsExceeded");
        QCOMPARE(addInService()->objectCount(), 64);
        QSet<QString> starts; // no counter behind them
        for (const QString &path : std::as_const(paths)) {
            const QString token = path.section(QLatin1Char('/'), -1);
            QVERIFY2(QRegularExpression("^[0-9a-f]{32}$").match(token).hasMatch(),
                     qPrintable(path));
            const QString id = addInService()->objectAt(path)->addIn().AddInID().toLower().remove(
                QRegularExpression("[^0-9a-f]"));
            QVERIFY(!id.contains(token.left(8)) && !token.contains(id.left(8)));
            starts << token.left(8);
        }
        QCOMPARE(starts.size(), 64);
        const QDBusMessage listed = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall("org.velmora.Velmora", "/org/velmora/Velmora/AddIn",
                                           "org.freedesktop.DBus.Introspectable", "Introspect"));
        QVERIFY(listed.type() == QDBusMessage::ReplyMessage);
        QVERIFY(!listed.arguments().value(0).toString().contains("<node name"));
    }

    // A client that leaves before its CreateAddIn is served leaves nothing behind.
    void leavingBeforeTheAnswer() {
        startAddInService();
        QProcess leaver;
        leaver.start(QStringLiteral(VELMORA_SINK_CLIENT), {"leave"});
        QVERIFY(leaver.waitForFinished(20000)); // this program serves nothing meanwhile
        Client later({"sink", "0"});            // served after the leaver's call
        QVERIFY(later.line().startsWith("ready"));
        QCOMPARE(addInService()->objectCount(), 1);
    }

    // Nothing but a short printable command reaches the line, whoever sends it.
    void sendCommandOnTheBus_data() {
        columns<QString, bool, QString, QString>("command", "connected", "answer", "sent");
        const QString invalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
        row("a code", "07A16", true, "ok", "07A16");
        row("frame bytes", "\00207A16\003", true, invalid, "");
        row("a huge string", QString(100000, QLatin1Char('A')), true, invalid, "");
        row("disconnected", "07A16", false, "org.velmora.Velmora.Error.NotSent", "");
    }
    void sendCommandOnTheBus() {
        QFETCH(QString, command);
        QFETCH(bool, connected);
        QFETCH(QString, answer);
        QFETCH(QString, sent);
        Form_Velmora &main = serving();
        if (!connected) main.Menu_Connect->trigger();
        QCOMPARE(answerOf({"send", command}), answer);
        if (connected) QCOMPARE(commandsIn(settledBytes(100)).join(','), sent);
        VERIFY_NO_ERROR_BOX();
    }

    // The sinks are asked at once and have 3 s together; the program serves calls meanwhile, so
    // a sink that asks GetText before it vetoes is answered and its veto counts. A second End
    // or Quit meanwhile starts no second round, and a Quit on the bus is answered once the end
    // is decided.
    void unloadVetoWithoutFreezing() {
        startAddInService();
        Client silent({"sink", "hang"}), asking({"sink", "1", "gettext"});
        QVERIFY(silent.line().startsWith("ready") && asking.line().startsWith("ready"));
        Form_Velmora &main = *Form_Velmora::existing();
        main.show();
        clsAddIn local("local");
        local.AddInRegister();
        int unloads = 0, terminates = 0;
        connect(&local, &clsAddIn::Unload, [&](int *) { ++unloads; });
        connect(&local, &clsAddIn::Terminate, [&] { ++terminates; });
        std::unique_ptr<Client> quitter;
        const auto againMeanwhile = [&] {
            QTimer::singleShot(300, [&] {
                QCloseEvent byTheWindowSystem;
                QCoreApplication::sendEvent(main.windowHandle(), &byTheWindowSystem);
                main.Menu_Ende_Click();
                local.Quit();
                quitter = std::make_unique<Client>(QStringList{"quit"});
            });
        };
        QElapsedTimer clock;
        clock.start();
        againMeanwhile();
        QVERIFY(!main.close());
        QVERIFY(clock.elapsed() < 6000);
        QCOMPARE(asking.line(), "GetText ok");
        QCOMPARE(quitter->line(), "org.velmora.Velmora.Error.Vetoed");
        QCOMPARE(Form_Velmora::existing(), &main);
        QVERIFY(main.isVisible() && main.windowHandle()->handle());

        asking.p.kill();
        QTRY_COMPARE(addInService()->objectCount(), 1); // the silent one
        clock.restart();
        againMeanwhile();
        QVERIFY(main.close());
        QVERIFY(clock.elapsed() < 6000);
        QCOMPARE(quitter->line(), "ok");
        QCOMPARE(unloads, 2);
        QCOMPARE(terminates, 1);
    }
};

QTEST_MAIN(TestAddInBus)
#include "tst_addin_bus.moc"
