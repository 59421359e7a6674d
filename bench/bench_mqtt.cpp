// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in in the real program, connected to the simulated receiver and to a real
// mosquitto broker: the time from a change on the receiver's front panel to the broker
// delivering it, and the program's idle CPU with the add-in connected and with it off.
#include "addins/mqtt/MqttSettings.h"
#include "sim/ReceiverSimulator.h"
#include "support/Mosquitto.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const QString kBase = QStringLiteral("velmora/bench");

// CPU seconds a process has used (user and system).
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    // After the name: state is field 3, utime 14 and stime 15 of the whole line.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

QString volumeText(const Sim::ReceiverSimulator &sim) {
    return QString::number((sim.model().state().mainVolume - 199) / 2.0, 'f', 1);
}

// The program on the simulator's line, started with these MQTT settings.
struct Program {
    Program(const MqttSettings &settings) {
        writeMqttSettings(settings);
        process.start(QStringLiteral(VELMORA_PROGRAM), {QStringLiteral("-C1")});
    }
    ~Program() {
        process.terminate();
        if (!process.waitForFinished(10000)) process.kill();
    }
    QProcess process;
};

double idlePercent(qint64 pid, int seconds) {
    const double before = cpuSeconds(pid);
    QTest::qWait(seconds * 1000);
    return (cpuSeconds(pid) - before) * 100.0 / seconds;
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::max(5, atoi(argv[1])) : 30;

    Mosquitto broker;
    if (!broker.isReady()) qFatal("no broker: %s", qPrintable(broker.errorString()));
    Sim::ReceiverSimulator sim(QStringLiteral("R0088"), false);
    if (!sim.openPty()) qFatal("no pseudo-terminal");
    qputenv("VELMORA_COM1", sim.devicePath().toLocal8Bit());
    MqttSubscriber sub(broker, kBase + QStringLiteral("/#"));

    MqttSettings settings = broker.settings();
    settings.baseTopic = kBase;
    double connectedIdle = 0;
    {
        Program program(settings);
        if (!sub.waitFor(kBase + QStringLiteral("/availability"), "online", 30000))
            qFatal("the add-in did not come online");
        QTest::qWait(2000);

        QElapsedTimer clock;
        clock.start();
        qint64 sentNs = 0;
        QObject::connect(&sim, &Sim::ReceiverSimulator::bytesSent, [&](const QByteArray &) {
            if (sentNs == 0) sentNs = clock.nsecsElapsed();
        });
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i) {
            QTest::qWait(QRandomGenerator::global()->bounded(30, 130));
            sentNs = 0;
            sub.forget();
            sim.control(i % 2 ? QStringLiteral("volume down") : QStringLiteral("volume up"));
            if (!sub.waitFor(kBase + QStringLiteral("/volume"), volumeText(sim).toUtf8(), 2000))
                qFatal("no volume on the broker");
            ms.push_back((clock.nsecsElapsed() - sentNs) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("front panel to broker, %zu: median %.1f ms, 90th %.1f ms, worst %.1f ms\n",
                    ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
        QTest::qWait(1000);
        connectedIdle = idlePercent(program.process.processId(), idleSeconds);
    }
    settings.host.clear();
    Program off(settings);
    QTest::qWait(5000);
    const double offIdle = idlePercent(off.process.processId(), idleSeconds);
    std::printf("idle program, %d s: %.2f %% of a core with the add-in connected, %.2f %% with it "
                "off, so the add-in costs %.2f %%\n",
                idleSeconds, connectedIdle, offIdle, connectedIdle - offIdle);
    return 0;
}
