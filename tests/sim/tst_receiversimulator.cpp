// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator on a real pseudo-terminal, opened from the program's side with QSerialPort.
#include "sim/ReceiverSimulator.h"
#include "support/DataRows.h"
#include "support/WireBytes.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>

using namespace Sim;

namespace {
const QByteArray kOn = wire("<DC2>R0073C230150001077462C1000000010000000000008A<ETX>");

struct ProgramSide { // the program's end of the line
    QSerialPort port;
    QByteArray received;
    bool open(const QString &path) {
        port.setPortName(path);
        QObject::connect(&port, &QSerialPort::readyRead, [this] { received += port.readAll(); });
        return port.open(QIODevice::ReadWrite) && port.setBaudRate(QSerialPort::Baud9600);
    }
    // Everything that arrives until `size` bytes are in, then a quiet spell to catch extras.
    QByteArray collect(qsizetype size) {
        (void)QTest::qWaitFor([&] { return received.size() >= size; }, 3000);
        QTest::qWait(150);
        return std::exchange(received, {});
    }
};
} // namespace

class TestReceiverSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exchange_data() {
        // Controls separated by "|", the writes the simulator made, and the least times from the
        // program's writes to the simulator's first write and to its last.
        columns<QString, QByteArray, QByteArray, int, int, int>(
            "controls", "writes", "expected", "lineWrites", "firstAfterMs", "spreadMs");
        const QByteArray request = wire("<DC1>000<ETX>"), volume = wire("<STX>07A1A<ETX>"), none;
        row("request with other digits ignored", "", wire("<DC1>001<ETX>"), none, 0, 0, 0);
        row("split frame", "split on", request, kOn, 2, 0, 20);
        row("dropped answer", "drop", request + volume, wire("<STX>002678<ETX>"), 1, 0, 0);
        row("delayed answer", "delay 250", volume, wire("<STX>002678<ETX>"), 1, 250, 0);
        row("remote 6.1/ES key twice", "reports on|es2", none,
            wire("<STX>102D00<ETX><STX>102D00<ETX>"), 2, 0, 300);
        row("test message", "test 0", none, wire("<STX>2F000<ETX>"), 1, 0, 0);
        row("line noise before a request", "", wire("<ETX><DEL> garbage \xFF") + request, kOn, 1, 0,
            0);
        row("reset frame with other bytes ignored", "", wire("<DC3><DEL><DEL><ETX>"), none, 0, 0,
            0);
    }
    void exchange() {
        FETCH((QString, QByteArray, QByteArray, int, int, int), controls, writes, expected,
              lineWrites, firstAfterMs, spreadMs);
        ReceiverSimulator sim;
        ProgramSide program;
        QVERIFY2(sim.openPty() && program.open(sim.devicePath()), qPrintable(sim.errorString()));
        QElapsedTimer clock;
        QList<qint64> sent; // when the simulator wrote to the line
        connect(&sim, &ReceiverSimulator::bytesSent, this, [&] { sent << clock.elapsed(); });
        clock.start();
        for (const QString &line : controls.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            QVERIFY(!sim.control(line).startsWith(QLatin1String("usage")));
        program.port.write(writes);
        QCOMPARE(program.collect(expected.size()), expected);
        QCOMPARE(sent.size(), lineWrites);
        if (!sent.isEmpty()) {
            QVERIFY2(sent.first() >= firstAfterMs, qPrintable(QString::number(sent.first())));
            QVERIFY2(sent.last() - sent.first() >= spreadMs,
                     qPrintable(QString::number(sent.last() - sent.first())));
        }
    }
    void noise() {
        ReceiverSimulator sim;
        ProgramSide program;
        QVERIFY(sim.openPty() && program.open(sim.devicePath()));
        sim.control(QStringLiteral("noise 600"));
        const QByteArray noise = program.collect(600);
        QVERIFY(noise.size() == 600 && !noise.contains(Byte::STX));
        program.port.write(wire("<STX>07A1A<ETX>"));
        QCOMPARE(program.collect(8), wire("<STX>002678<ETX>")); // the receiver goes on
    }
    void control() {
        const char *rows[][2] = {
            {"sleep 45", "usage: sleep off|30|60|90|120"},
            {"model r0161", "model R0161 (RX-V2400)"},
            {"bogus 1", "unknown command \"bogus\" (try help)"},
            {"quit", "bye"},
        };
        for (const auto &[line, reply] : rows) {
            ReceiverSimulator sim; // no line needed: nothing is sent with reports off
            QSignalSpy quit(&sim, &ReceiverSimulator::quitRequested);
            QCOMPARE(sim.control(QLatin1String(line)), QLatin1String(reply));
            QCOMPARE(quit.size(), QByteArray(line) == "quit" ? 1 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestReceiverSimulator)
#include "tst_receiversimulator.moc"
