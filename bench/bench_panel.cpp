// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the window follows the receiver: the time from a report leaving the simulated
// receiver to the status line showing it, from a click to its frame reaching the receiver, both
// on a local pseudo-terminal and through a real ser2net on loopback (raw and RFC 2217), and the
// step rate of a held volume key.
#include "link/Form_Com.h"
#include "sim/ReceiverSimulator.h"
#include "support/Ser2net.h"
#include "ui/ImageControl.h"
#include "ui/WindowProcs.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Runs events until the status line differs from before, returns the ms it took after start.
double waitForLine(QLabel *line, const QString &before, const QElapsedTimer &clock, qint64 sentNs) {
    while (line->text() == before && clock.nsecsElapsed() - sentNs < 2'000'000'000LL)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return (clock.nsecsElapsed() - sentNs) / 1e6;
}

void printSpread(const char *what, std::vector<double> &ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s, %zu: median %.1f ms, 90th %.1f ms, worst %.1f ms\n", what, ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
}

// From a click on an input to the first byte of its frame arriving at the receiver.
void pressLatency(Form_Velmora &main, Sim::ReceiverSimulator &sim, const char *line) {
    QElapsedTimer clock;
    clock.start();
    qint64 arrivedNs = 0;
    const QMetaObject::Connection watch =
        QObject::connect(&sim, &Sim::ReceiverSimulator::bytesReceived, [&](const QByteArray &) {
            if (arrivedNs == 0) arrivedNs = clock.nsecsElapsed();
        });
    std::vector<double> ms;
    for (int i = 0; i < 100; ++i) {
        QTest::qWait(QRandomGenerator::global()->bounded(30, 130));
        arrivedNs = 0;
        const qint64 pressedNs = clock.nsecsElapsed();
        QTest::mouseClick(main.Opt_Input(i % 2 ? 2 : 4), Qt::LeftButton);
        while (arrivedNs == 0 && clock.nsecsElapsed() - pressedNs < 2'000'000'000LL)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        ms.push_back((arrivedNs - pressedNs) / 1e6);
    }
    QObject::disconnect(watch);
    printSpread(qPrintable(QStringLiteral("%1: press to frame at the receiver").arg(line)), ms);
}

void reportLatency(Form_Velmora &main, Sim::ReceiverSimulator &sim, const char *line) {
    QElapsedTimer clock;
    clock.start();
    qint64 sentNs = 0;
    QObject::connect(&sim, &Sim::ReceiverSimulator::bytesSent, [&](const QByteArray &) {
        if (sentNs == 0) sentNs = clock.nsecsElapsed();
    });
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        const QString before = main.Line1->text();
        sentNs = 0;
        sim.control(i % 2 ? QStringLiteral("volume down") : QStringLiteral("volume up"));
        while (sentNs == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        ms.push_back(waitForLine(main.Line1, before, clock, sentNs));
        // The next report comes at a random point of the poll period.
        QTest::qWait(QRandomGenerator::global()->bounded(10, 110));
    }
    QObject::disconnect(&sim, &Sim::ReceiverSimulator::bytesSent, nullptr, nullptr);
    printSpread(qPrintable(QStringLiteral("%1: report to status line").arg(line)), ms);
}

// Connects the main window to whatever port 1 names now; false when it does not connect.
bool connectTo(Form_Velmora &main, const QString &device) {
    if (Form_Com::instance().Com->PortOpen()) main.ConnectToYamaha(0);
    qputenv("VELMORA_COM1", device.toLocal8Bit());
    main.ConnectToYamaha(0);
    QTest::qWait(500);
    return main.Line1->text() == QLatin1String("Connected");
}

void holdRate(Form_Velmora &main, Sim::ReceiverSimulator &sim, int delayMs) {
    sim.setAnswerDelay(delayMs);
    QTest::qWait(300);
    const int start = sim.model().state().mainVolume;
    QElapsedTimer clock;
    clock.start();
    QTest::mousePress(main.Image_VolDOWN, Qt::LeftButton);
    QTest::qWait(2000);
    QTest::mouseRelease(main.Image_VolDOWN, Qt::LeftButton);
    const double seconds = clock.nsecsElapsed() / 1e9;
    QTest::qWait(300);
    const int steps = start - sim.model().state().mainVolume;
    std::printf("press-and-hold, answer delay %2d ms: %d steps in %.2f s = %.1f steps/s\n", delayMs,
                steps, seconds, steps / seconds);
    sim.setAnswerDelay(0);
    sim.control(QStringLiteral("volume up %1").arg(steps));
    QTest::qWait(500);
}
} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Sim::ReceiverSimulator sim(QStringLiteral("R0088"), false);
    if (!sim.openPty()) return 1;
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    // The same measurements on the local line and through the bridge, in one run.
    for (int mode = -1; mode <= int(Ser2net::Mode::Rfc2217); ++mode) {
        std::unique_ptr<Ser2net> bridge;
        const char *line = "pseudo-terminal";
        if (mode >= 0) {
            bridge = std::make_unique<Ser2net>(sim.devicePath(), Ser2net::Mode(mode));
            line = mode == int(Ser2net::Mode::Raw) ? "ser2net raw" : "ser2net RFC 2217";
        }
        if (!connectTo(main, bridge ? bridge->url() : sim.devicePath())) return 2;
        reportLatency(main, sim, line);
        pressLatency(main, sim, line);
        if (bridge) main.ConnectToYamaha(0); // the bridge goes before the link lets go
    }
    if (!connectTo(main, sim.devicePath())) return 2;
    // A step is a command frame of 7 bytes out and a volume report of 8 bytes back: at 9600 baud
    // (10 bits a byte) the line alone needs 15.6 ms, so no receiver can step faster than 64/s.
    std::printf("round-trip bound at 9600 baud: 15 bytes x 10 bits / 9600 = 15.6 ms, 64 steps/s\n");
    holdRate(main, sim, 0);
    holdRate(main, sim, 16);
    holdRate(main, sim, 40);
    destroyAllForms();
    return 0;
}
