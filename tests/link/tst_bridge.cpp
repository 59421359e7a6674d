// SPDX-License-Identifier: GPL-3.0-or-later
// Receivers behind a network bridge: the addresses, a real ser2net in front of the simulator in
// both of its modes, a bridge that goes away and comes back, a silent and a refusing server, and
// the window that sets the devices.
#include "base/ConfigValues.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "link/TcpTransport.h"
#include "support/Ser2net.h"
#include "support/WindowSuite.h"
#include "ui/Form_Port.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <ctime>

class TestBridge : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:
    void init() { WindowSuite::init(); }
    void cleanup() {
        env.reset();
        bridge.reset(); // the bridge lets go of the line before the receiver goes
        sim.reset();
    }

    void addresses_data() {
        columns<QString, QString>("url", "parsed"); // "" when it is no bridge address
        row("raw", "tcp://bridge.local:4001", "tcp bridge.local 4001");
        row("telnet, scheme in capitals", "RFC2217://10.0.0.7:2217", "telnet 10.0.0.7 2217");
        row("IPv6 in brackets", "rfc2217://[fe80::1]:7000", "telnet fe80::1 7000");
        row("trailing slash", "tcp://h:1/", "tcp h 1");
        row("no port", "tcp://bridge.local", "");
        row("port 0", "tcp://h:0", "");
        row("port too big", "tcp://h:65536", "");
        row("a path", "tcp://h:23/dev/ttyS0", "");
        row("a user", "tcp://me@h:23", "");
        row("IPv6 without brackets", "tcp://fe80::1:7000", "");
        row("another scheme", "telnet://h:23", "");
    }
    void addresses() {
        QFETCH(QString, url);
        QFETCH(QString, parsed);
        const std::optional<BridgeAddress> a = bridgeAddress(url);
        QCOMPARE(
            a ? QStringLiteral("%1 %2 %3").arg(a->telnet ? "telnet" : "tcp", a->host).arg(a->port)
              : QString(),
            parsed);
    }
    void retryPauses() {
        QList<int> pauses;
        for (int attempt = 0; attempt < 8; ++attempt)
            pauses << bridgeRetryDelay(attempt);
        QCOMPARE(pauses, QList<int>({1, 2, 4, 8, 16, 30, 30, 30}));
    }

    void throughSer2net_data() {
        columns<int>("mode");
        row("raw", int(Ser2net::Mode::Raw));
        row("RFC 2217", int(Ser2net::Mode::Rfc2217));
    }
    void throughSer2net() {
        QFETCH(int, mode);
        sim = std::make_unique<SimulatedReceiver>();
        bridge = std::make_unique<Ser2net>(sim->devicePath(), Ser2net::Mode(mode));
        QVERIFY2(bridge->isReady(), qPrintable(bridge->errorString()));
        qputenv("VELMORA_COM1", bridge->url().toLocal8Bit());
        Form_Velmora &main = sim->connectMainWindow();
        QCOMPARE(main.Line1->text() + ' ' + main.Line2->text(), "Connected R0088 Softv.B");
        // Both ways, a 0xFF included: the receiver's display and the traffic log.
        QStringList traffic;
        connect(&Form_Com::instance(), &Form_Com::trafficLine, this,
                [&](const QString &line) { traffic << line; });
        main.Menu_Setup_Debug->setChecked(true);
        sim->control(QStringLiteral("volume up 3"));
        QTRY_VERIFY(main.Line1->text().startsWith(QStringLiteral("VOLUME")));
        QTest::mouseClick(main.Opt_Input(4), Qt::LeftButton);
        QTRY_COMPARE(receiverInput(), main.Opt_Input(4)->text());
        Form_Com::instance().SendMessage(QStringLiteral("\u00ff\u00ff\u00ff\u00ff 255"));
        QTRY_COMPARE(sim->model().displayText().trimmed(),
                     QStringLiteral("\u00ff\u00ff\u00ff\u00ff 255"));
        sim->sendRaw(QByteArray("\x02"
                                "0\xff\xff"
                                "\x03"));
        QTRY_VERIFY(
            traffic.join(QLatin1Char('|')).contains(QStringLiteral("\u00020\u00ff\u00ff\u0003")));
        main.Menu_Setup_Debug->setChecked(false);

        // The bridge goes away: the loss is shown at once, the wait costs nothing, and the
        // program is back by itself when the bridge is.
        bridge->stop();
        QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text() + ' ' + main.Line2->text(),
                                  "Comport Error retry in 1 s", 1000);
        const std::clock_t before = std::clock();
        QTest::qWait(2500);
        QVERIFY(std::clock() - before < CLOCKS_PER_SEC / 10);
        QVERIFY2(bridge->start(), qPrintable(bridge->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text(), QStringLiteral("Reconnected"), 5000);
        QVERIFY2(env->errors.calls.size() == 1 &&
                     env->errors.calls.first().number == ErrNr::ComPortNotAvailable,
                 qPrintable(env->errors.describe()));
        QTRY_VERIFY(main.Timer_Check->isActive() && sim->model().state().reportsEnabled);
        sim->control(QStringLiteral("mute on"));
        QTRY_VERIFY(main.Line1->text().contains(QStringLiteral("MUTE")));
    }

    void silentOrRefusingServer() {
        // A server that takes the connection and never answers: four requests, "Connect Error".
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString url = QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
        qputenv("VELMORA_COM1", url.toLocal8Bit());
        QByteArray requests;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *peer = server.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, this, [&, peer] { requests += peer->readAll(); });
        });
        Form_Velmora &main = Form_Velmora::instance();
        main.Show();
        main.ConnectToYamaha(0);
        QCOMPARE(main.Line1->text() + ' ' + main.Line2->text(), "Connect Error");
        QCOMPARE(requests, QByteArray("\x11"
                                      "000\x03")
                               .repeated(4));
        QVERIFY(env->dialogs->shown.isEmpty() && env->errors.calls.isEmpty());
        // Nobody listening: the error of a missing device, with the address and the reason.
        server.close();
        main.ConnectToYamaha(0);
        QCOMPARE(env->dialogs->last().prompt, "Error:  8002\rCom - Invalid port number (" + url +
                                                  ": Connection refused) (" +
                                                  env->dialogs->last().prompt.section(" (", -1));
        QCOMPARE(main.Line1->text(), QStringLiteral("Comport Error"));
    }

    void portWindow() {
        // The environment wins and is shown; the store keeps only what the user set.
        sim = std::make_unique<SimulatedReceiver>(QStringLiteral("R0088"), false, 2);
        qunsetenv("VELMORA_COM1");
        Form_Velmora &main = Form_Velmora::instance();
        main.Show();
        main.Menu_Setup_Ports->trigger();
        Form_Port &window = Form_Port::instance();
        QVERIFY(window.isVisible());
        QVERIFY(window.txtDevice[1]->isReadOnly() && !window.txtDevice[0]->isReadOnly());
        QCOMPARE(window.txtDevice[1]->text(), sim->devicePath());
        QCOMPARE(window.txtDevice[0]->placeholderText(), portStandardDevice(1));
        window.cmdTest[1]->click();
        QCOMPARE(window.lblResult[1]->text(), QStringLiteral("RX-V1000 (R0088) Softv.B"));
        window.txtDevice[2]->setText(QStringLiteral(" tcp://[::1]:1 "));
        window.cmdTest[2]->click();
        QVERIFY2(window.lblResult[2]->text().contains(QStringLiteral("Connection refused")),
                 qPrintable(window.lblResult[2]->text()));
        window.cmdOk->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(portDeviceName(3), QStringLiteral("tcp://[::1]:1"));
        QCOMPARE(storedPortDevice(1) + storedPortDevice(2), QString());
        qputenv("VELMORA_COM3", "/dev/ttyS9");
        QCOMPARE(portDeviceName(3), QStringLiteral("/dev/ttyS9"));
        // An emptied line gives the port back its standard device.
        qunsetenv("VELMORA_COM3");
        main.Menu_Setup_Ports->trigger();
        window.txtDevice[2]->clear();
        window.cmdOk->click();
        QCOMPARE(portDeviceName(3), portStandardDevice(3));
    }

private:
    std::unique_ptr<Ser2net> bridge;
};

QTEST_MAIN(TestBridge)
#include "tst_bridge.moc"
