// The simulator on a real pseudo-terminal, opened from the program's side with QSerialPort.
#include "WireBytes.h"

#include "sim/ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using namespace Sim;

namespace {
const QByteArray kRequest = wire("<DC1>000<ETX>");

QByteArray command(const QByteArray &code) {
    return QByteArray(1, Byte::STX) + code + Byte::ETX;
}

QByteArray block(const char *text) {
    return QByteArray(1, Byte::DC2) + text + Byte::ETX;
}

// The program's end of the line.
class ProgramSide {
public:
    bool open(const QString &path) {
        m_port.setPortName(path);
        if (!m_port.open(QIODevice::ReadWrite)) return false;
        m_port.setBaudRate(QSerialPort::Baud9600);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        QObject::connect(&m_port, &QSerialPort::readyRead, &m_port,
                         [this] { received += m_port.readAll(); });
        return true;
    }
    void close() { m_port.close(); }
    void write(const QByteArray &bytes) { m_port.write(bytes); }
    // Everything that arrives until `size` bytes are in, then a quiet spell to catch extras.
    QByteArray collect(qsizetype size) {
        (void)QTest::qWaitFor([&] { return received.size() >= size; }, 3000);
        QTest::qWait(150);
        return std::exchange(received, {});
    }

    QByteArray received;

private:
    QSerialPort m_port;
};
} // namespace

class TestReceiverSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exchange_data();
    void exchange();
    void noise_data();
    void noise();
    void portClosedAndReopened();
    void control_data();
    void control();
};

void TestReceiverSimulator::exchange_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("lineWrites"); // writes the simulator made
    // Lower bounds the faults guarantee: from the program's writes to the simulator's first
    // write, and from its first write to its last.
    QTest::addColumn<int>("firstAfterMs");
    QTest::addColumn<int>("spreadMs");

    const QByteArray on = block("R0073C230150001077462C1000000010000000000008A");
    QTest::addRow("configuration request")
        << QStringList{} << QList<QByteArray>{kRequest} << on << 1 << 0 << 0;
    QTest::addRow("command and its report")
        << QStringList{"reports on"} << QList<QByteArray>{command("07AC1")} << command("102105")
        << 1 << 0 << 0;
    QTest::addRow("volume step answered with reports off")
        << QStringList{} << QList<QByteArray>{command("07A1A")} << command("002678") << 1 << 0 << 0;
    QTest::addRow("no report while reports are off")
        << QStringList{} << QList<QByteArray>{command("07AC1")} << QByteArray() << 0 << 0 << 0;
    QTest::addRow("other model") << QStringList{"model R0112"} << QList<QByteArray>{kRequest}
                                 << block("R0112A2A@E019000150001077462C1000000010000000000000F")
                                 << 1 << 0 << 0;
    QTest::addRow("split frame") << QStringList{"split on"} << QList<QByteArray>{kRequest} << on
                                 << 2 << 0 << 20;
    QTest::addRow("dropped answer")
        << QStringList{"drop"} << QList<QByteArray>{kRequest, command("07A1A")} << command("002678")
        << 1 << 0 << 0;
    QTest::addRow("delayed answer")
        << QStringList{"delay 250"} << QList<QByteArray>{command("07A1A")} << command("002678") << 1
        << 250 << 0;
    QTest::addRow("front panel input") << QStringList{"reports on", "input tuner"}
                                       << QList<QByteArray>{} << command("102102") << 1 << 0 << 0;
    QTest::addRow("remote 6.1/ES key twice")
        << QStringList{"reports on", "es2"} << QList<QByteArray>{}
        << command("102D00") + command("102D00") << 2 << 0 << 300;
    QTest::addRow("test message") << QStringList{"test 0"} << QList<QByteArray>{}
                                  << command("2F000") << 1 << 0 << 0;
    QTest::addRow("echo of the test message accepted")
        << QStringList{} << QList<QByteArray>{command("2F000"), kRequest} << on << 1 << 0 << 0;
    QTest::addRow("line noise before a request")
        << QStringList{} << QList<QByteArray>{wire("<ETX><DEL> garbage \xFF") + kRequest} << on << 1
        << 0 << 0;
    QTest::addRow("interface reset")
        << QStringList{"reports on"}
        << QList<QByteArray>{command("07A1B"), wire("<DC3><DEL><DEL><DEL><ETX>")}
        << command("002676") + on << 2 << 0 << 0;
}

void TestReceiverSimulator::exchange() {
    QFETCH(QStringList, controls);
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QByteArray, expected);
    QFETCH(int, lineWrites);
    QFETCH(int, firstAfterMs);
    QFETCH(int, spreadMs);

    ReceiverSimulator sim;
    QVERIFY2(sim.openPty(), qPrintable(sim.errorString()));
    ProgramSide program;
    QVERIFY(program.open(sim.devicePath()));
    QElapsedTimer clock;
    QList<qint64> sent; // when the simulator wrote to the line
    connect(&sim, &ReceiverSimulator::bytesSent, this, [&] { sent << clock.elapsed(); });

    clock.start();
    for (const QString &line : controls)
        QVERIFY(!sim.control(line).startsWith(QLatin1String("usage")));
    for (const QByteArray &bytes : writes)
        program.write(bytes);
    QCOMPARE(program.collect(expected.size()), expected);
    QCOMPARE(sent.size(), lineWrites);
    if (!sent.isEmpty()) {
        QVERIFY2(sent.first() >= firstAfterMs, qPrintable(QString::number(sent.first())));
        QVERIFY2(sent.last() - sent.first() >= spreadMs,
                 qPrintable(QString::number(sent.last() - sent.first())));
    }
}

void TestReceiverSimulator::noise_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("size");
    QTest::addRow("default") << "noise" << 16;
    QTest::addRow("one byte") << "noise 1" << 1;
    QTest::addRow("long burst") << "noise 600" << 600;
}

void TestReceiverSimulator::noise() {
    QFETCH(QString, control);
    QFETCH(int, size);
    ReceiverSimulator sim;
    QVERIFY(sim.openPty());
    ProgramSide program;
    QVERIFY(program.open(sim.devicePath()));
    sim.control(control);
    const QByteArray noise = program.collect(size);
    QCOMPARE(noise.size(), size);
    QVERIFY(!noise.contains(Byte::STX));
    // The receiver itself is unaffected.
    program.write(command("07A1A"));
    QCOMPARE(program.collect(8), command("002678"));
}

void TestReceiverSimulator::portClosedAndReopened() {
    ReceiverSimulator sim;
    QVERIFY(sim.openPty());
    for (int round = 0; round < 3; ++round) {
        ProgramSide program;
        QVERIFY(program.open(sim.devicePath()));
        program.write(command("07A1A"));
        // The volume goes on from where the last program left it.
        QCOMPARE(program.collect(8), command("0026" + hex2(0x78 + round).toLatin1()));
        program.close();
        QTest::qWait(50);
    }
    QVERIFY(sim.isOpen());
}

void TestReceiverSimulator::control_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reply");
    QTest::addRow("input with a blank") << "input vcr 1"
                                        << "input VCR 1";
    QTest::addRow("input with a slash") << "input cbl/sat"
                                        << "input CBL/SAT";
    QTest::addRow("input without its blank") << "input VCR3"
                                             << "input VCR 3";
    QTest::addRow("input without its dash") << "input dtv"
                                            << "input D-TV";
    QTest::addRow("input without its slash") << "input cblsat"
                                             << "input CBL/SAT";
    QTest::addRow("zone 2 CD-R") << "zone2 input CD-R"
                                 << "zone 2 input CD-R";
    QTest::addRow("unknown input") << "input radio"
                                   << "usage: input <name>";
    QTest::addRow("DSP by name") << "dsp 8 ch stereo"
                                 << "DSP 8 Ch Stereo";
    QTest::addRow("DSP out of range") << "dsp 32"
                                      << "usage: dsp <0-31|name>";
    QTest::addRow("sleep without a setting") << "sleep 45"
                                             << "usage: sleep off|30|60|90|120";
    QTest::addRow("volume steps") << "volume down 3"
                                  << "main volume -41.5 dB";
    QTest::addRow("volume without direction") << "volume 3"
                                              << "usage: volume up|down [n]";
    QTest::addRow("remote code") << "remote 07EA2"
                                 << "mute on";
    QTest::addRow("model in lower case") << "model r0161"
                                         << "model R0161 (RX-V2400)";
    QTest::addRow("model too long") << "model R01612"
                                    << "usage: model <five letters or digits>";
    QTest::addRow("unknown command") << "bogus 1"
                                     << "unknown command \"bogus\" (try help)";
    QTest::addRow("blank line") << "   "
                                << "";
    QTest::addRow("quit") << "quit"
                          << "bye";
}

void TestReceiverSimulator::control() {
    QFETCH(QString, line);
    QFETCH(QString, reply);
    ReceiverSimulator sim; // no line needed: nothing is sent with reports off
    QSignalSpy quit(&sim, &ReceiverSimulator::quitRequested);
    QCOMPARE(sim.control(line), reply);
    QCOMPARE(quit.size(), line == QLatin1String("quit") ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestReceiverSimulator)
#include "tst_receiversimulator.moc"
