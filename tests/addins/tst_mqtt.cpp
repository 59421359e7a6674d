// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in: its picture of a configuration block, the volume stepping and Home
// Assistant's discovery payloads; its broker connection against a real mosquitto; then the
// add-in in the program, connected to the simulator and to the broker, and in a program of its
// own that is killed.
#include "addins/modFindAddIn.h"
#include "addins/mqtt/Form_Mqtt.h"
#include "addins/mqtt/MqttAddIn.h"
#include "addins/mqtt/MqttClient.h"
#include "addins/mqtt/MqttRules.h"
#include "sim/ReceiverModel.h"
#include "support/DataRows.h"
#include "support/Mosquitto.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

namespace {

const QString kBase = QStringLiteral("velmora/test");

// A topic below the base topic.
QString at(const QString &level) {
    return kBase + QLatin1Char('/') + level;
}

QByteArray payloadOf(double dB) {
    return QByteArray::number(dB, 'f', 1);
}

// Starts the client and waits until it is connected (true) or has failed once.
bool connectTo(MqttClient &client, const MqttSettings &settings) {
    QSignalSpy up(&client, &MqttClient::connected), down(&client, &MqttClient::disconnected);
    client.start(settings, QStringLiteral("velmora-test"), {kBase + "/status", "offline", true});
    return QTest::qWaitFor([&] { return up.count() + down.count() > 0; }, 15000) && up.count() == 1;
}
} // namespace

class TestMqtt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The configuration answer of a simulated receiver; the reports are followed end to end
    // below.
    void pictureFromTheBlock_data() {
        columns<QString, bool, QStringList>("model", "standby", "expected");
        row("@E01900 block", "R0073", false,
            QStringList{"power=ON", "volume=-40.0", "zone2/volume=-10.0", "mute=OFF", "input=DVD",
                        "sound_program=Normal", "model=DSP-AX1"});
        row("standby", "R0088", true, QStringList{"power=OFF", "volume=", "input=", "version=B"});
    }
    void pictureFromTheBlock() {
        FETCH((QString, bool, QStringList), model, standby, expected);
        const QString answer =
            QString::fromLatin1(Sim::ReceiverModel(model, standby).configurationAnswer());
        ReceiverPicture picture;
        picture.applySettings(answer.mid(1, answer.size() - 2));
        QStringList lines;
        for (const TopicValue &v : stateValues(picture))
            lines << v.topic + QLatin1Char('=') + QString::fromUtf8(v.payload);
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(line + u'|' + lines.join(u' ')));
    }

    // Answers: a level in dB, "-" for a step without an answer. The codes sent, in order.
    void volumeSteps_data() {
        columns<double, double, QStringList, QString, QString>("current", "target", "answers",
                                                               "codes", "error");
        row("up two steps", -40.0, -39.0, QStringList{"-39.5", "-39"}, "07A1A 07A1A", "");
        row("down one step", -40.0, -40.5, QStringList{"-40.5"}, "07A1B", "");
        row("there already", -40.0, -40.0, QStringList{}, "", "");
        row("lost answer, retried", -40.0, -39.5, QStringList{"-", "-39.5"}, "07A1A 07A1A", "");
        row("three unanswered", -40.0, -30.0, QStringList{"-", "-", "-"}, "07A1A 07A1A 07A1A",
            "did not answer 3");
        row("overshoot corrected", -40.0, -39.5, QStringList{"-39", "-39.5"}, "07A1A 07A1B", "");
        row("stuck at the top", 15.5, 16.5, QStringList{"16", "16"}, "07A1A 07A1A",
            "stops at 16.0");
    }
    void volumeSteps() {
        FETCH((double, double, QStringList, QString, QString), current, target, answers, codes,
              error);
        VolumeStepper stepper;
        QStringList sent{stepper.start(target, current)};
        for (const QString &a : answers)
            sent << (a == QLatin1String("-") ? stepper.unanswered()
                                             : stepper.answered(a.toDouble()));
        sent.removeAll(QString());
        QCOMPARE(sent.join(u' '), codes);
        QVERIFY(!stepper.active());
        QVERIFY2(error.isEmpty() ? stepper.error().isEmpty() : stepper.error().contains(error),
                 qPrintable(stepper.error()));
    }

    // Home Assistant's MQTT discovery: per entity its config topic and the keys its kind needs
    // besides those of every entity; the unique IDs, the device block and the removal.
    void discovery_data() {
        columns<QString, QStringList>("topic", "keys");
        const QStringList onOff{"command_topic", "payload_on", "payload_off"};
        row("power", "switch/velmora_den_pc/power", onOff);
        row("mute", "switch/velmora_den_pc/mute", onOff);
        row("volume", "number/velmora_den_pc/volume", QStringList{"command_topic", "min", "max"});
        row("input", "select/velmora_den_pc/input", QStringList{"command_topic", "options"});
        row("program", "select/velmora_den_pc/sound_program",
            QStringList{"command_topic", "options"});
        row("line 1", "sensor/velmora_den_pc/status_line1", QStringList{});
        row("line 2", "sensor/velmora_den_pc/status_line2", QStringList{});
    }
    void discovery() {
        FETCH((QString, QStringList), topic, keys);
        ReceiverPicture picture;
        picture.applySettings(QStringLiteral("R0073C0E01") + QString(12, u'0'));
        const QString base = QStringLiteral("velmora/den.pc");
        const QList<DiscoveryConfig> configs = discoveryConfigs(base, picture);
        const QList<DiscoveryConfig> removals = discoveryRemovals(base);
        QSet<QString> ids;
        QJsonObject o;
        for (qsizetype i = 0; i < configs.size(); ++i) {
            const QJsonObject config = QJsonDocument::fromJson(configs[i].payload).object();
            ids.insert(config["unique_id"].toString());
            if (configs[i].topic == "homeassistant/" + topic + "/config") o = config;
            QVERIFY(removals[i].topic == configs[i].topic && removals[i].payload.isEmpty());
        }
        QCOMPARE(ids.size(), configs.size());
        QCOMPARE(configs.size(), removals.size());
        keys << "name"
             << "state_topic"
             << "payload_available"
             << "payload_not_available";
        for (const QString &key : keys)
            QVERIFY2(o.contains(key), qPrintable(key));
        QCOMPARE(o["unique_id"].toString(), topic.section(u'/', 1).replace(u'/', u'_'));
        QCOMPARE(o["availability_topic"].toString(), base + "/availability");
        if (o.contains("command_topic"))
            QCOMPARE(o["command_topic"].toString(), o["state_topic"].toString() + "/set");
        const QJsonObject device = o["device"].toObject();
        QCOMPARE(device["identifiers"].toArray().first().toString(), "velmora_den_pc");
        QCOMPARE(device["name"].toString(), "Yamaha DSP-AX1");
        QCOMPARE(device["sw_version"].toString(), "C");
        if (topic.startsWith("number"))
            QCOMPARE(
                QList<double>({o["min"].toDouble(), o["max"].toDouble(), o["step"].toDouble()}),
                QList<double>({-80, 16.5, 0.5}));
        // Every option is a name the command takes.
        for (const QJsonValue option : o["options"].toArray())
            QVERIFY2(planCommand(o["state_topic"].toString().section(u'/', -1),
                                 option.toString().toUtf8(), picture)
                         .error.isEmpty(),
                     qPrintable(option.toString()));
    }

    // --- The broker connection alone: passwords and TLS, a broker gone and back, a goodbye ---

    void connecting_data() {
        using T = Mosquitto::Tls;
        columns<T, QString, QString>("tls", "change", "reason");
        row("right password", T::Off, "", "");
        row("wrong password", T::Off, "password",
            "The broker refused the connection: not authorised");
        row("TLS", T::On, "", "");
        row("TLS, a CA that did not sign the broker", T::On, "ca",
            "TLS error: certificate verify failed");
        row("TLS with a client certificate", T::ClientCertificate, "", "");
        // The broker's alert, or its reset, which may come first and take the alert with it
        row("TLS without the client certificate", T::ClientCertificate, "cert", ".+");
    }

    void connecting() {
        FETCH((Mosquitto::Tls, QString, QString), tls, change, reason);
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

    void publishAndSubscribe() {
        Mosquitto broker;
        QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
        MqttClient client;
        client.subscribe(kBase + "/set/#");
        QSignalSpy up(&client, &MqttClient::connected), got(&client, &MqttClient::messageReceived);
        client.start(broker.settings(), "velmora-test", {});
        QVERIFY(!client.publish(kBase + "/early", "kept for later?", true)); // not yet connected
        QVERIFY(up.wait(15000));
        QVERIFY(client.publish(kBase + "/state", R"({"power":"on"})", true));
        MqttSubscriber later(broker, kBase + "/#"); // subscribes afterwards: sees what is retained
        QVERIFY(later.isReady());
        const auto state = later.waitFor(kBase + "/state", R"({"power":"on"})");
        QVERIFY(state && state->retained);
        QVERIFY(broker.publish(kBase + "/set/power", "off"));
        QTRY_COMPARE(got.count(), 1);
        QCOMPARE(got[0], (QVariantList{kBase + "/set/power", QByteArray("off")}));
        QVERIFY(later.lastPayload(kBase + "/early").isNull());
    }

    void brokerGoneAndBack() {
        Mosquitto broker;
        QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
        MqttClient client;
        client.subscribe(kBase + "/set/#");
        QVERIFY(connectTo(client, broker.settings()));
        QSignalSpy up(&client, &MqttClient::connected), down(&client, &MqttClient::disconnected),
            got(&client, &MqttClient::messageReceived);
        // Gone: it tries again after 1 and 2 s, does nothing in between, and comes back with its
        // subscriptions; after a connection the pauses start again from 1 s.
        for (int round = 0; round < 2; ++round) {
            broker.stop();
            QVERIFY(down.wait(5000));
            QVERIFY2(client.stateText().endsWith(", next try in 1 s"),
                     qPrintable(client.stateText()));
            if (round == 0) {
                const std::clock_t cpu = std::clock(); // this process's processor time
                QTest::qWait(3200);
                QVERIFY(std::clock() - cpu < CLOCKS_PER_SEC / 2);
                QVERIFY(down.count() >= 2);
            }
            QVERIFY(broker.start());
            QVERIFY(up.wait(15000));
            QVERIFY(broker.publish(kBase + "/set/input", "HDMI1"));
            QTRY_COMPARE(got.count(), round + 1);
        }
        // A goodbye: the broker keeps the last state, not the will.
        QVERIFY(client.publish(kBase + "/status", "online", true));
        client.stop();
        QCOMPARE(client.stateText(), "Off");
        QVERIFY(!client.publish(kBase + "/status", "stopped", true));
        QTest::qWait(300);
        MqttSubscriber after(broker, kBase + "/status");
        QVERIFY(after.waitFor(kBase + "/status", "online"));
    }

    // --- The add-in in the program, against the simulator and a broker ---

    void initTestCase() {
        env = std::make_unique<TestEnvironment>();
        QVERIFY2(broker.isReady(), qPrintable(broker.errorString()));
        sub = std::make_unique<MqttSubscriber>(broker, QStringLiteral("#"));
        QVERIFY(sub->isReady());
        MqttSettings settings = broker.settings();
        settings.baseTopic = kBase;
        writeMqttSettings(settings);
        sim = std::make_unique<SimulatedReceiver>();
        // Loaded by the main window's load, before the program connects, as at start, so that
        // it sees the identification.
        Form_Velmora::instance().Load();
        addIn = std::make_unique<MqttAddIn>();
        QCOMPARE(LoadAddIn(addIn.get()), 0L);
        main = &sim->connectMainWindow();
    }
    void cleanupTestCase() {
        addIn.reset();
        env.reset();
        sim.reset();
    }

    void retainedStateAfterConnect() {
        QVERIFY(sub->waitFor(at("availability"), "online"));
        const Sim::ReceiverState s = sim->model().state();
        QVERIFY(sub->waitFor(at("model"), "RX-V1000"));
        QCOMPARE(sub->lastPayload(at("power")), QByteArray("ON"));
        QCOMPARE(sub->lastPayload(at("volume")), payloadOf((s.mainVolume - 199) / 2.0));
        QCOMPARE(sub->lastPayload(at("zone2/volume")), payloadOf(s.zone2Volume - 80.0));
        QCOMPARE(sub->lastPayload(at("input")), QByteArray("DVD"));
        QCOMPARE(sub->lastPayload(at("sound_program")), QByteArray("Normal"));
        QVERIFY(sub->waitFor(at("status/line1"), main->Line1->text().toUtf8()));
        QVERIFY(sub->waitFor(QStringLiteral("homeassistant/number/velmora_test/volume/config"),
                             std::nullopt));
    }

    // The receiver's own front panel: the change is on the broker within 2 s.
    void frontPanelChangeAppears_data() {
        columns<QString, QString, QByteArray>("code", "topic", "payload");
        row("volume", "07A1A", "volume", QByteArray("-39.5"));
        row("input", "07A16", "input", QByteArray("TUNER"));
        row("mute", "07EA2", "mute", QByteArray("ON"));
        row("unmute", "07EA3", "mute", QByteArray("OFF"));
        row("zone 2", "07ADB", "zone2/volume", QByteArray("-11.0"));
        row("sound program", "07EE2", "sound_program", QByteArray("Hall B"));
        row("effect off", "07EE0", "sound_program", QByteArray("Effect Off"));
        row("standby", "07A1E", "power", QByteArray("OFF"));
        row("on again", "07A1D", "power", QByteArray("ON"));
    }
    void frontPanelChangeAppears() {
        FETCH((QString, QString, QByteArray), code, topic, payload);
        sub->forget();
        const Sim::Response response = sim->model().execute(code, Sim::Source::Panel);
        sim->emitResponse(response);
        QVERIFY(sub->waitFor(at(topic), payload, 2000));
        const auto report = sub->waitFor(at("report"), response.texts().last().toUtf8());
        QVERIFY(report && !report->retained);
    }

    // Each command reaches the receiver as its frame; one that cannot be carried out says why
    // and sends nothing.
    void commandsReachTheReceiver_data() {
        columns<QString, QByteArray, QStringList, QString>("level", "payload", "frames", "error");
        const QStringList none;
        row("input", "input", QByteArray("cd"), QStringList{"07A15"}, "");
        row("input spaced", "input", QByteArray("Vcr 1"), QStringList{"07A0F"}, "");
        row("sound program", "sound_program", QByteArray("hall b"), QStringList{"07EE2"}, "");
        row("mute", "mute", QByteArray("ON"), QStringList{"07EA2"}, "");
        row("unmute", "mute", QByteArray("off"), QStringList{"07EA3"}, "");
        row("volume down", "volume", QByteArray("DOWN"), QStringList{"07A1B"}, "");
        row("volume to a level", "volume", QByteArray("-39.2"), QStringList{"07A1A", "07A1A"}, "");
        row("volume too loud", "volume", QByteArray("17"), none,
            "volume/set: \"17\" is not a level");
        row("volume nan", "volume", QByteArray("nan"), none, "volume/set: \"nan\" is not a level");
        row("raw", "raw", QByteArray("07A1A"), QStringList{"07A1A"}, "");
        row("raw with ETX", "raw", QByteArray("07A\x03"), none, "raw/set: the command holds <ETX>");
        row("raw too long", "raw", QByteArray(17, '0'), none, "raw/set: ");
        row("raw not ASCII", "raw", QByteArray("07A1\xc3\xa9"), none, "raw/set: ");
        row("unknown input", "input", QByteArray("radio"), none,
            "input/set: unknown input \"radio\"");
        row("unknown program", "sound_program", QByteArray("Hall Z"), none,
            "sound_program/set: unknown sound program");
        row("state topic", "status/line1", QByteArray("x"), none,
            "status/line1/set: no such command");
        row("power maybe", "power", QByteArray("maybe"), none, "power/set: \"maybe\" is not ON");
        row("standby", "power", QByteArray(" off\n"), QStringList{"07A1E"}, "");
        row("mute in standby", "mute", QByteArray("ON"), none,
            "mute/set: the receiver is in standby");
        row("power on", "power", QByteArray("ON"), QStringList{"07A1D"}, "");
    }
    void commandsReachTheReceiver() {
        FETCH((QString, QByteArray, QStringList, QString), level, payload, frames, error);
        QTest::qWait(300);
        sim->takeReceived();
        sub->forget();
        QVERIFY(broker.publish(at(level + QStringLiteral("/set")), payload));
        if (!error.isEmpty()) {
            const auto m = sub->waitFor(at("error"), std::nullopt, 2000);
            QVERIFY(m);
            QVERIFY2(m->payload.startsWith(error.toUtf8()), m->payload.constData());
        }
        QByteArray sent;
        QTRY_COMPARE_WITH_TIMEOUT(commandsIn(sent += sim->takeReceived()).size(), frames.size(),
                                  3000);
        QTest::qWait(300);
        QCOMPARE(commandsIn(sent + sim->takeReceived()), frames);
    }

    // The broker goes away and comes back empty (no persistence): within 5 s the add-in is
    // connected again and the retained state is the receiver's, including what changed
    // meanwhile.
    void brokerRestart() {
        broker.stop();
        sim->emitResponse(sim->model().execute(QStringLiteral("07A1B"), Sim::Source::Panel));
        QTest::qWait(300);
        const double level = (sim->model().state().mainVolume - 199) / 2.0;
        QVERIFY(broker.start());
        sub = std::make_unique<MqttSubscriber>(broker, QStringLiteral("velmora/#"));
        QVERIFY(sub->isReady());
        QVERIFY(sub->waitFor(at("availability"), "online", 5000));
        QVERIFY(sub->waitFor(at("volume"), payloadOf(level), 1000));
        QCOMPARE(sub->lastPayload(at("input")), QByteArray("VCR 1"));
    }

    // The settings window: discovery switched off is saved and removes the entities.
    void discoveryOffRemovesTheEntities() {
        auto ha = std::make_unique<MqttSubscriber>(broker, QStringLiteral("homeassistant/#"));
        QVERIFY(ha->waitFor(QStringLiteral("homeassistant/switch/velmora_test/power/config"),
                            std::nullopt));
        addIn->Settings();
        Form_Mqtt *window = addIn->window();
        QVERIFY(window && window->isVisible());
        QTRY_VERIFY(window->lblStatus->text().startsWith(u"Connected to 127.0.0.1:"));
        window->chkDiscovery->setChecked(false);
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY(!addIn->window());
        QVERIFY(!readMqttSettings().discovery);
        QVERIFY(ha->waitFor(QStringLiteral("homeassistant/switch/velmora_test/power/config"), ""));
        QVERIFY(ha->waitFor(QStringLiteral("homeassistant/select/velmora_test/input/config"), ""));
        QVERIFY(sub->waitFor(at("availability"), "online", 5000));
    }

    // The real program with the add-in from its folder: killed, the broker says it is offline.
    void lastWillWhenKilled() {
        SimulatedReceiver second(QStringLiteral("R0088"), false, 2);
        MqttSettings settings = broker.settings();
        settings.baseTopic = QStringLiteral("velmora/killed");
        writeMqttSettings(settings); // the test's store, which the program reads too
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env->settingsFolder());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELMORA_PROGRAM), {QStringLiteral("-C2")});
        QVERIFY(sub->waitFor(QStringLiteral("velmora/killed/availability"), "online", 20000));
        QVERIFY(sub->waitFor(QStringLiteral("velmora/killed/power"), "ON", 2000));
        program.kill();
        program.waitForFinished();
        QVERIFY(sub->waitFor(QStringLiteral("velmora/killed/availability"), "offline"));
        // The will is kept: whoever subscribes later learns it too.
        MqttSubscriber later(broker, QStringLiteral("velmora/killed/availability"));
        const auto will = later.waitFor(QStringLiteral("velmora/killed/availability"), "offline");
        QVERIFY(will && will->retained);
    }

private:
    Mosquitto broker;
    std::unique_ptr<MqttSubscriber> sub;
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<MqttAddIn> addIn;
    Form_Velmora *main = nullptr;
};

QTEST_MAIN(TestMqtt)
#include "tst_mqtt.moc"
