// SPDX-License-Identifier: GPL-3.0-or-later
// The broker connection against a real mosquitto: passwords and TLS, publishing and subscribing,
// a broker that goes away and comes back, and a goodbye without the last will.
#include "addins/mqtt/MqttClient.h"
#include "support/DataRows.h"
#include "support/Mosquitto.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <ctime>

namespace {
const QString Base = QStringLiteral("velmora/test");

// Starts the client and waits until it is connected (true) or has failed once.
bool connectTo(MqttClient &client, const MqttSettings &settings) {
    QSignalSpy up(&client, &MqttClient::connected), down(&client, &MqttClient::disconnected);
    client.start(settings, QStringLiteral("velmora-test"), {Base + "/status", "offline", true});
    return QTest::qWaitFor([&] { return up.count() + down.count() > 0; }, 15000) && up.count() == 1;
}
} // namespace

class TestMqttClient : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connecting_data();
    void connecting();
    void publishAndSubscribe();
    void brokerGoneAndBack();
};

void TestMqttClient::connecting_data() {
    using T = Mosquitto::Tls;
    columns<T, QString, QString>("tls", "change", "reason");
    row("right password", T::Off, "", "");
    row("wrong password", T::Off, "password", "The broker refused the connection: not authorised");
    row("TLS", T::On, "", "");
    row("TLS, a CA that did not sign the broker", T::On, "ca",
        "TLS error: certificate verify failed");
    row("TLS with a client certificate", T::ClientCertificate, "", "");
    // The broker's alert, or its reset, which may come first and take the alert with it
    row("TLS without the client certificate", T::ClientCertificate, "cert", ".+");
}

void TestMqttClient::connecting() {
    QFETCH(Mosquitto::Tls, tls);
    QFETCH(QString, change);
    QFETCH(QString, reason);
    Mosquitto broker(tls);
    QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
    MqttSettings settings = broker.settings();
    if (change == "password") settings.password = "wrong";
    if (change == "ca") settings.caFile = broker.otherCaFile();
    if (change == "cert") settings.certFile = settings.keyFile = QString();
    MqttClient client;
    QCOMPARE(connectTo(client, settings), reason.isEmpty());
    const QString address = "127.0.0.1:" + QString::number(broker.port());
    const QString state = client.stateText();
    QVERIFY2(QRegularExpression(reason.isEmpty()
                                    ? "^Connected to " + address + "$"
                                    : "^Not connected: " + reason + ", next try in 1 s$")
                 .match(state)
                 .hasMatch(),
             qPrintable(state));
}

void TestMqttClient::publishAndSubscribe() {
    Mosquitto broker;
    QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
    MqttClient client;
    client.subscribe(Base + "/set/#");
    QSignalSpy up(&client, &MqttClient::connected), got(&client, &MqttClient::messageReceived);
    client.start(broker.settings(), "velmora-test", {});
    QVERIFY(!client.publish(Base + "/early", "kept for later?", true)); // not yet connected
    QVERIFY(up.wait(15000));
    QVERIFY(client.publish(Base + "/state", R"({"power":"on"})", true));
    MqttSubscriber later(broker, Base + "/#"); // subscribes afterwards: sees what is retained
    QVERIFY(later.isReady());
    const auto state = later.waitFor(Base + "/state", R"({"power":"on"})");
    QVERIFY(state && state->retained);
    QVERIFY(broker.publish(Base + "/set/power", "off"));
    QTRY_COMPARE(got.count(), 1);
    QCOMPARE(got[0], (QVariantList{Base + "/set/power", QByteArray("off")}));
    QVERIFY(later.lastPayload(Base + "/early").isNull());
}

void TestMqttClient::brokerGoneAndBack() {
    Mosquitto broker;
    QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
    MqttClient client;
    client.subscribe(Base + "/set/#");
    QVERIFY(connectTo(client, broker.settings()));
    QSignalSpy up(&client, &MqttClient::connected), down(&client, &MqttClient::disconnected),
        got(&client, &MqttClient::messageReceived);
    // Gone: it tries again after 1 and 2 s, does nothing in between, and comes back with its
    // subscriptions; after a connection the pauses start again from 1 s.
    for (int round = 0; round < 2; ++round) {
        broker.stop();
        QVERIFY(down.wait(5000));
        QVERIFY2(client.stateText().endsWith(", next try in 1 s"), qPrintable(client.stateText()));
        if (round == 0) {
            const std::clock_t cpu = std::clock(); // this process's processor time
            QTest::qWait(3200);
            QVERIFY(std::clock() - cpu < CLOCKS_PER_SEC / 5);
            QVERIFY(down.count() >= 2);
        }
        QVERIFY(broker.start());
        QVERIFY(up.wait(15000));
        QVERIFY(broker.publish(Base + "/set/input", "HDMI1"));
        QTRY_COMPARE(got.count(), round + 1);
    }
    // A goodbye: the broker keeps the last state, not the will.
    QVERIFY(client.publish(Base + "/status", "online", true));
    client.stop();
    QCOMPARE(client.stateText(), "Off");
    QVERIFY(!client.publish(Base + "/status", "stopped", true));
    QTest::qWait(300);
    MqttSubscriber after(broker, Base + "/status");
    QVERIFY(after.waitFor(Base + "/status", "online"));
}

QTEST_GUILESS_MAIN(TestMqttClient)
#include "tst_mqtt_client.moc"
