// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in: its picture of the receiver against the simulator's, the reading of command
// payloads, the volume stepping and Home Assistant's discovery payloads.
#include "addins/mqtt/MqttRules.h"
#include "link/CommandCatalogue.h"
#include "sim/ReceiverModel.h"
#include "state/PanelTables.h"
#include "support/DataRows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QString code(const QString &name) {
    return QLatin1String(commandByName(name)->code);
}

// The state topics as "topic=payload" lines, for one comparison.
QStringList stateLines(const ReceiverPicture &picture) {
    QStringList lines;
    for (const TopicValue &v : stateValues(picture))
        lines << v.topic + QLatin1Char('=') + QString::fromUtf8(v.payload);
    return lines;
}

} // namespace

class TestMqtt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The simulated receiver changes, told by its reports (and, for "block", by its
    // configuration answer); the add-in's picture follows.
    void pictureFollowsTheReceiver_data() {
        columns<QString, bool, QStringList, QStringList>("model", "standby", "steps", "expected");
        row("identified", "R0088", false, QStringList{"block"},
            QStringList{"power=ON", "volume=-40.0", "zone2/volume=-10.0", "mute=OFF", "input=DVD",
                        "sound_program=Normal", "model=RX-V1000", "version=B"});
        row("@E01900 block", "R0073", false, QStringList{"block"},
            QStringList{"power=ON", "volume=-40.0", "input=DVD", "model=DSP-AX1"});
        row("standby block", "R0088", true, QStringList{"block"},
            QStringList{"power=OFF", "volume=", "input=", "model=RX-V1000"});
        row("reports", "R0088", false,
            QStringList{"MasterVolMuteOn", "MasterVolUp", "Zone2VolDown", "InputTuner", "dsp 2"},
            QStringList{"power=", "mute=ON", "volume=-39.5", "zone2/volume=-11.0", "input=TUNER",
                        "sound_program=Hall B", "model="});
        row("standby and back", "R0088", false, QStringList{"block", "PowerOff", "PowerOn"},
            QStringList{"power=ON", "volume=-40.0"});
        row("standby report", "R0088", false, QStringList{"block", "PowerOff"},
            QStringList{"power=OFF", "volume=-40.0"});
        row("effect off", "R0088", false, QStringList{"dsp 0"},
            QStringList{"sound_program=Effect Off"});
    }
    void pictureFollowsTheReceiver() {
        QFETCH(QString, model);
        QFETCH(bool, standby);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Sim::ReceiverModel receiver(model, standby);
        Sim::ReceiverState state = receiver.state();
        state.reportsEnabled = true;
        receiver.setState(state);
        ReceiverPicture picture;
        for (const QString &step : steps) {
            if (step == QLatin1String("block")) {
                const QString answer = QString::fromLatin1(receiver.configurationAnswer());
                picture.applySettings(answer.mid(1, answer.size() - 2));
                continue;
            }
            const QString command = step.startsWith(QLatin1String("dsp "))
                                        ? dspOperationCode(step.mid(4).toInt())
                                        : code(step);
            for (const QString &text : receiver.execute(command, Sim::Source::Panel).texts())
                picture.applyReport(text);
        }
        const QStringList lines = stateLines(picture);
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line),
                     qPrintable(line + QStringLiteral(" not in ") + lines.join(u' ')));
    }

    // Broken blocks and reports change nothing they cannot read.
    void pictureIgnoresGarbage_data() {
        columns<QString, bool>("settings", "report");
        row("cut block", "R0088D1", false);
        row("length not hex", "R0088DZZ0", false);
        row("no data", "", false);
        row("noise report", "\x01\x7f\xff", true);
        row("short volume", "026", true);
        row("bad volume digits", "0026ZZ", true);
    }
    void pictureIgnoresGarbage() {
        QFETCH(QString, settings);
        QFETCH(bool, report);
        ReceiverPicture picture;
        report ? picture.applyReport(settings) : picture.applySettings(settings);
        for (const TopicValue &v : stateValues(picture))
            if (v.topic != QLatin1String(MqttTopic::Model) &&
                v.topic != QLatin1String(MqttTopic::Version))
                QVERIFY2(v.payload.isEmpty(), qPrintable(v.topic));
    }

    void commands_data() {
        columns<QString, QByteArray, bool, QString, QString>("level", "payload", "standby", "codes",
                                                             "error");
        row("power on", "power", QByteArray("ON"), true, "07A1D", "");
        row("power off, any case", "power", QByteArray(" off\n"), false, "07A1E", "");
        row("power maybe", "power", QByteArray("maybe"), false, "", "\"maybe\" is not ON or OFF");
        row("mute in standby", "mute", QByteArray("ON"), true, "", "the receiver is in standby");
        row("mute on", "mute", QByteArray("on"), false, "07EA2", "");
        row("volume up", "volume", QByteArray("UP"), false, "07A1A", "");
        row("volume down", "volume", QByteArray("down"), false, "07A1B", "");
        row("volume level", "volume", QByteArray("-20.3"), false, "target -20.5", "");
        row("volume top", "volume", QByteArray("16.5"), false, "target 16.5", "");
        row("volume too loud", "volume", QByteArray("17"), false, "", "is not a level");
        row("volume nan", "volume", QByteArray("nan"), false, "", "is not a level");
        row("volume empty", "volume", QByteArray(""), false, "", "is not a level");
        row("input by name", "input", QByteArray("cbl/sat"), false, "07AC0", "");
        row("input spaced", "input", QByteArray("Vcr 1"), false, "07A0F", "");
        row("input unknown", "input", QByteArray("radio"), false, "", "unknown input \"radio\"");
        row("program", "sound_program", QByteArray("hall b"), false, "07EE2", "");
        row("program unknown", "sound_program", QByteArray("Hall Z"), false, "",
            "unknown sound program");
        row("raw", "raw", QByteArray("07A1D"), false, "07A1D", "");
        row("raw with ETX", "raw",
            QByteArray("07A\x03"
                       "1D"),
            false, "", "");
        row("raw too long", "raw", QByteArray(17, '0'), false, "", "");
        row("raw not ASCII", "raw", QByteArray("07A1\xc3\xa9"), false, "", "");
        row("state topic", "status/line1", QByteArray("x"), false, "", "no such command");
    }
    void commands() {
        QFETCH(QString, level);
        QFETCH(QByteArray, payload);
        QFETCH(bool, standby);
        QFETCH(QString, codes);
        QFETCH(QString, error);
        ReceiverPicture picture;
        picture.power = !standby;
        const CommandPlan plan = planCommand(level, payload, picture);
        const QString planned = plan.volumeTarget
                                    ? QStringLiteral("target %1").arg(*plan.volumeTarget)
                                    : plan.codes.join(u' ');
        QCOMPARE(planned, codes);
        QCOMPARE(plan.error.isEmpty(), codes.isEmpty() == false);
        QVERIFY2(plan.error.contains(error), qPrintable(plan.error));
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
        QFETCH(double, current);
        QFETCH(double, target);
        QFETCH(QStringList, answers);
        QFETCH(QString, codes);
        QFETCH(QString, error);
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

    // Home Assistant's MQTT discovery: the keys each entity kind needs, its topics and the device.
    void discovery_data() {
        columns<QString, QStringList>("component", "required");
        const QStringList common{"name",
                                 "unique_id",
                                 "state_topic",
                                 "device",
                                 "availability_topic",
                                 "payload_available",
                                 "payload_not_available"};
        row("switch", "switch", common + QStringList{"command_topic", "payload_on", "payload_off"});
        row("number", "number", common + QStringList{"command_topic", "min", "max", "step"});
        row("select", "select", common + QStringList{"command_topic", "options"});
        row("sensor", "sensor", common);
    }
    void discovery() {
        QFETCH(QString, component);
        QFETCH(QStringList, required);
        ReceiverPicture picture;
        picture.applySettings(QStringLiteral("R0073C0E01") + QString(12, u'0'));
        const QString base = QStringLiteral("velmora/den.pc");
        const QList<DiscoveryConfig> configs = discoveryConfigs(base, picture);
        QSet<QString> ids;
        int seen = 0;
        static const QRegularExpression topicForm(
            QStringLiteral("^homeassistant/(\\w+)/velmora_den_pc/([\\w-]+)/config$"));
        for (const DiscoveryConfig &c : configs) {
            const QRegularExpressionMatch m = topicForm.match(c.topic);
            QVERIFY2(m.hasMatch(), qPrintable(c.topic));
            const QJsonObject o = QJsonDocument::fromJson(c.payload).object();
            QVERIFY(!ids.contains(o["unique_id"].toString()));
            ids.insert(o["unique_id"].toString());
            QCOMPARE(o["unique_id"].toString(), QStringLiteral("velmora_den_pc_") + m.captured(2));
            if (m.captured(1) != component) continue;
            ++seen;
            for (const QString &key : required)
                QVERIFY2(o.contains(key), qPrintable(c.topic + QStringLiteral(" lacks ") + key));
            QCOMPARE(o["availability_topic"].toString(), base + QStringLiteral("/availability"));
            QVERIFY(o["state_topic"].toString().startsWith(base + u'/'));
            if (o.contains("command_topic"))
                QCOMPARE(o["command_topic"].toString(),
                         o["state_topic"].toString() + QStringLiteral("/set"));
            const QJsonObject device = o["device"].toObject();
            QCOMPARE(device["identifiers"].toArray().first().toString(), u"velmora_den_pc");
            QCOMPARE(device["name"].toString(), u"Yamaha DSP-AX1");
            QCOMPARE(device["sw_version"].toString(), u"C");
            if (component == QLatin1String("number")) {
                QCOMPARE(o["min"].toDouble(), -80.0);
                QCOMPARE(o["max"].toDouble(), 16.5);
                QCOMPARE(o["step"].toDouble(), 0.5);
            }
            if (component == QLatin1String("select")) {
                // Every state the add-in publishes is one of the options.
                const QVariantList options = o["options"].toArray().toVariantList();
                const QString first = options.first().toString();
                const QByteArray sent = planCommand(o["state_topic"].toString().section(u'/', -1),
                                                    first.toUtf8(), picture)
                                            .codes.join(u' ')
                                            .toLatin1();
                QVERIFY2(!sent.isEmpty(), qPrintable(first));
            }
        }
        QVERIFY(seen > 0);
        // Switching discovery off sends an empty config on each of the same topics.
        const QList<DiscoveryConfig> removals = discoveryRemovals(base);
        QCOMPARE(removals.size(), configs.size());
        for (qsizetype i = 0; i < configs.size(); ++i) {
            QCOMPARE(removals[i].topic, configs[i].topic);
            QVERIFY(removals[i].payload.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestMqtt)
#include "tst_mqtt.moc"
