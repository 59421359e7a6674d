// SPDX-License-Identifier: GPL-3.0-or-later
// Receivers behind a network bridge: the addresses, a real ser2net in front of the simulator in
// both of its modes, a bridge that goes away and comes back, a silent and a refusing server, and
// the window that sets the devices.
#include "base/ConfigValues.h"
#include "link/Form_Com.h"
#include "link/TcpTransport.h"
#include "support/Ser2net.h"
#include "support/WindowSuite.h"
#include "support/WireBytes.h"
#include "ui/Form_Port.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <ctime>

class TestBridge : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:
    void addresses_data() {
        columns<QString, QString>("url", "parsed"); // "" when it is no bridge address
        row("raw", "tcp://bridge.local:4001", "tcp bridge.local 4001");
        row("telnet, scheme in capitals", "RFC2217://10.0.0.7:2217", "telnet 10.0.0.7 2217");
        row("IPv6 in brackets", "rfc2217://[fe80::1]:7000", "telnet fe80::1 7000");
        row("trailing slash", "tcp://h:1/", "tcp h 1");
        row("no port", "tcp://bridge.local", "");
        row("a path", "tcp://h:23/dev/ttyS0", "");
        row("IPv6 without brackets", "tcp://fe80::1:7000", "");
        row("another scheme", "telnet://h:23", "");
    }
    void addresses() {
        FETCH((QString, QString), url, parsed);
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
        sim->sendRaw(QByteArray::fromHex("0230ffff03"));
        QTRY_VERIFY(
            traffic.join(QLatin1Char('|')).contains(QStringLiteral("\u00020\u00ff\u00ff\u0003")));

        // The bridge goes away: the loss is shown at once, the wait costs nothing, and the
        // program is back by itself when the bridge is.
        bridge->stop();
        QTcpServer busy; // in its place a while, a bridge that ends every connection at once
        QVERIFY(busy.listen(QHostAddress::LocalHost, bridge->port()));
        connect(&busy, &QTcpServer::newConnection, &busy,
                [&] { delete busy.nextPendingConnection(); });
        QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text() + ' ' + main.Line2->text(),
                                  "Comport Error retry in 1 s", 1000);
        const std::clock_t before = std::clock();
        QTRY_COMPARE_WITH_TIMEOUT(main.Line2->text(), QStringLiteral("retry in 2 s"), 3000);
        QVERIFY(std::clock() - before < CLOCKS_PER_SEC / 10);
        busy.close();
        QVERIFY2(bridge->start(), qPrintable(bridge->errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text(), QStringLiteral("Reconnected"), 5000);
        QVERIFY2(env->errors.only(ErrNr::ComPortNotAvailable), qPrintable(env->errors.describe()));
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
        Form_Velmora &main = shownMainWindow();
        main.ConnectToYamaha(0);
        QCOMPARE(main.Line1->text() + ' ' + main.Line2->text(), "Connect Error");
        QCOMPARE(requests, wire("<DC1>000<ETX>").repeated(4));
        QVERIFY(env->dialogs->shown.isEmpty() && env->errors.calls.isEmpty());
        // Nobody listening: the error of a missing device, with the address and the reason.
        server.close();
        main.ConnectToYamaha(0);
        QVERIFY(env->dialogs->last().prompt.startsWith("Error:  8002\rCom - Invalid port number (" +
                                                       url + ": Connection refused) ("));
        QCOMPARE(main.Line1->text(), QStringLiteral("Comport Error"));
    }

    void portWindow() {
        // Port 2 set by the environment is shown and kept; port 3 is a simulator on the network,
        // tested through the window and kept in the store.
        sim = std::make_unique<SimulatedReceiver>(QStringLiteral("R0088"), false, 2);
        Sim::ReceiverSimulator net(QStringLiteral("R0073"), false);
        QVERIFY(net.listenTcp(0));
        Form_Velmora &main = shownMainWindow();
        main.Menu_Setup_Ports->trigger();
        Form_Port &window = Form_Port::instance();
        QVERIFY(window.isVisible() && window.txtDevice[1]->isReadOnly());
        QCOMPARE(window.txtDevice[1]->text(), sim->devicePath());
        QCOMPARE(window.txtDevice[3]->placeholderText(), portStandardDevice(4));
        window.txtDevice[2]->setText(QStringLiteral("tcp://[::1]"));
        window.cmdOk->click(); // kept open: the URL has no port
        QVERIFY(window.isVisible() && storedPortDevice(3).isEmpty());
        window.txtDevice[2]->setText(' ' + net.devicePath() + ' ');
        window.cmdTest[2]->click();
        QCOMPARE(window.lblResult[2]->text(), QStringLiteral("DSP-AX1 (R0073) Softv.C"));
        window.cmdOk->click();
        QCOMPARE(portDeviceName(3), net.devicePath());
        QCOMPARE(storedPortDevice(2), QString());
        qputenv("VELMORA_COM3", "/dev/ttyS9"); // the environment wins
        QCOMPARE(portDeviceName(3), QStringLiteral("/dev/ttyS9"));
        // An emptied line gives the port back its standard device.
        qunsetenv("VELMORA_COM3");
        main.Menu_Setup_Ports->trigger();
        window.txtDevice[2]->clear();
        window.cmdOk->click();
        QCOMPARE(portDeviceName(3), portStandardDevice(3));
    }

private:
    std::unique_ptr<Ser2net> bridge; // stopped by the next test's or at the end
};

QTEST_MAIN(TestBridge)
#include "tst_bridge.moc"
