// Configuration-block decoding, the standby test and the volume arithmetic.
#include "errors/RuntimeError.h"
#include "state/ConfigurationBlock.h"
#include "state/VolumeLevel.h"

#include <QLocale>
#include <QTest>
#include <climits>
#include <limits>

namespace {

const QString kDc2(QChar(0x12));
const QString kEtx(QChar(0x03));
const QString kStx(QChar(0x02));

QString withData(QString data, int position, const QString &text) {
    data.replace(position - 1, text.size(), text);
    return data;
}

// A data block of 32 characters with every decoded field at a plain value: receiver on (1),
// main input DVD (5), zone 2 input TUNER (2), input mode Auto (0), Hall A (00) with the effect
// on (1), speakers A on (1); everything else "0".
const QString kBaseData = withData(
    withData(withData(withData(withData(QString(32, QLatin1Char('0')), 1, "1"), 3, "5"), 7, "2"),
             15, "1"),
    23, "1");

QString block(const QString &data, const QString &lengthField) {
    return kDc2 + "R0088A" + lengthField + data + kEtx;
}

QString block(const QString &data) {
    return block(data, QString("%1").arg(data.size(), 2, 16, QLatin1Char('0')).toUpper());
}

QString describe(const std::optional<PanelState> &s) {
    if (!s) return "rejected";
    return QString("in %1, mode %2%3, dsp %4, 6ch %5, es %6, A %7, B %8, hp %9")
        .arg(s->input)
        .arg(s->inputMode ? QString::number(*s->inputMode) : "-")
        .arg(s->inputModeEnabled ? "" : " disabled")
        .arg(s->dsp ? QString::number(*s->dsp) : "-")
        .arg(int(s->sixChannel))
        .arg(int(s->es61))
        .arg(int(s->speakersA))
        .arg(int(s->speakersB))
        .arg(int(s->headphones));
}

const QString kBaseState("in 8, mode 1, dsp 1, 6ch 0, es 0, A 1, B 0, hp 0");

} // namespace

class TestStateValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void configuration_data();
    void configuration();
    void inputDigits_data();
    void inputDigits();
    void standby_data();
    void standby();
    void levelTexts_data();
    void levelTexts();
    void levelTextIgnoresTheLocale();
    void barLengths_data();
    void barLengths();
    void bars_data();
    void bars();
    void volumeReports_data();
    void volumeReports();
    void miniBar();
};

void TestStateValues::configuration_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<bool>("zone2Mode");
    QTest::addColumn<QString>("state");

    QTest::addRow("base") << block(kBaseData) << false << kBaseState;
    QTest::addRow("base, zone-2 mode: only the input differs")
        << block(kBaseData) << true << "in 11, mode 1, dsp 1, 6ch 0, es 0, A 1, B 0, hp 0";
    QTest::addRow("receiver prefix already removed, text after the data")
        << kDc2 + "R0161B20" + kBaseData + "C3" + kEtx << false << kBaseState;

    // Input mode.
    const char *modes[][2] = {{"0", "mode 1"}, {"1", "mode 4"}, {"2", "mode 5"},
                              {"3", "mode 2"}, {"4", "mode 3"}, {"5", "mode 1 disabled"},
                              {"6", "mode -"}, {"F", "mode -"}, {"Z", "mode 1"}};
    for (const auto &m : modes)
        QTest::addRow("mode digit %s", m[0]) << block(withData(kBaseData, 5, m[0])) << false
                                             << QString(kBaseState).replace("mode 1", m[1]);

    // DSP program.
    auto dsp = [](const char *program, const char *effect) {
        return block(withData(withData(kBaseData, 13, program), 15, effect));
    };
    QTest::addRow("8 Ch Stereo is 31")
        << dsp("17", "1") << false << QString(kBaseState).replace("dsp 1", "dsp 31");
    QTest::addRow("effect flag 0 wins")
        << dsp("17", "0") << false << QString(kBaseState).replace("dsp 1", "dsp 0");
    QTest::addRow("Royaumont") << dsp("0A", "1") << false
                               << QString(kBaseState).replace("dsp 1", "dsp 9");
    QTest::addRow("Royaumont lower case")
        << dsp("0a", "1") << false << QString(kBaseState).replace("dsp 1", "dsp 9");
    QTest::addRow("Enhanced") << dsp("2D", "1") << false
                              << QString(kBaseState).replace("dsp 1", "dsp 30");
    QTest::addRow("program 03 sets none")
        << dsp("03", "1") << false << QString(kBaseState).replace("dsp 1", "dsp -");
    QTest::addRow("program 80 sets none")
        << dsp("80", "1") << false << QString(kBaseState).replace("dsp 1", "dsp -");
    QTest::addRow("effect flag blank")
        << dsp("04", " ") << false << QString(kBaseState).replace("dsp 1", "dsp 4");

    // The on/off fields read "1" as on and anything else as off.
    QTest::addRow("6ch on") << block(withData(kBaseData, 4, "1")) << false
                            << QString(kBaseState).replace("6ch 0", "6ch 1");
    QTest::addRow("6ch 2 is off") << block(withData(kBaseData, 4, "2")) << false << kBaseState;
    QTest::addRow("6.1/ES on") << block(withData(kBaseData, 16, "1")) << false
                               << QString(kBaseState).replace("es 0", "es 1");
    QTest::addRow("speakers A off") << block(withData(kBaseData, 23, "0")) << false
                                    << QString(kBaseState).replace("A 1", "A 0");
    QTest::addRow("speakers B on") << block(withData(kBaseData, 24, "1")) << false
                                   << QString(kBaseState).replace("B 0", "B 1");
    QTest::addRow("headphones") << block(withData(kBaseData, 30, "1")) << false
                                << QString(kBaseState).replace("hp 0", "hp 1");

    // The length field bounds the data block.
    const QString allOn = withData(withData(withData(kBaseData, 24, "1"), 30, "1"), 16, "1");
    QTest::addRow("L 10 cuts the fields after 16")
        << block(allOn, "10") << false << "in 8, mode 1, dsp 1, 6ch 0, es 1, A 0, B 0, hp 0";
    QTest::addRow("L 03: only the input") << block(kBaseData.left(3), "03") << false
                                          << "in 8, mode 1, dsp 1, 6ch 0, es 0, A 0, B 0, hp 0";
    QTest::addRow("L larger than the block: ETX inside, fields after it off")
        << block(kBaseData.left(14), "20") << false
        << "in 8, mode 1, dsp 1, 6ch 0, es 0, A 0, B 0, hp 0";
    QTest::addRow("L lower case") << block(kBaseData, "1f") << false
                                  << "in 8, mode 1, dsp 1, 6ch 0, es 0, A 1, B 0, hp 0";

    // Shapes the window ignores.
    QTest::addRow("empty") << "" << false << "rejected";
    QTest::addRow("no DC2") << "X" + block(kBaseData).mid(1) << false << "rejected";
    QTest::addRow("STX instead of DC2") << kStx + block(kBaseData).mid(1) << false << "rejected";
    QTest::addRow("no ETX") << block(kBaseData).chopped(1) + "X" << false << "rejected";
    QTest::addRow("ETX followed by more") << block(kBaseData) + kEtx + "0" << false << "rejected";
    QTest::addRow("L 02") << block(kBaseData, "02") << false << "rejected";
    QTest::addRow("L 00") << block(kBaseData, "00") << false << "rejected";
    QTest::addRow("L not hexadecimal") << block(kBaseData, "ZZ") << false << "rejected";
    QTest::addRow("L negative") << block(kBaseData, "-5") << false << "rejected";
    QTest::addRow("DC2 and ETX only") << kDc2 + kEtx << false << "rejected";
    QTest::addRow("DC2 alone") << kDc2 << false << "rejected";
    QTest::addRow("cut in the length field") << kDc2 + "R0088A0" + kEtx << false << "rejected";
}

void TestStateValues::configuration() {
    QFETCH(QString, block);
    QFETCH(bool, zone2Mode);
    QFETCH(QString, state);
    QCOMPARE(describe(decodeConfiguration(block, zone2Mode)), state);
}

void TestStateValues::inputDigits_data() {
    QTest::addColumn<QString>("digit");
    QTest::addColumn<int>("index");
    const struct {
        const char *digit;
        int index;
    } rows[] = {{"0", 13}, {"1", 12}, {"2", 11}, {"3", 10}, {"4", 9}, {"5", 8},
                {"6", 1},  {"7", 2},  {"8", 3},  {"9", 4},  {"A", 5}, {"B", 6},
                {"C", 7},  {"D", 8},  {"E", 9},  {"F", 10}, {"a", 5}, {"G", 13}};
    for (const auto &r : rows)
        QTest::addRow("%s", r.digit) << r.digit << r.index;
}

void TestStateValues::inputDigits() {
    QFETCH(QString, digit);
    QFETCH(int, index);
    // The main zone reads data position 3, zone 2 position 7; the other position is "9" (VCR 1)
    // so that reading the wrong one shows.
    const QString mainBlock = block(withData(withData(kBaseData, 3, digit), 7, "9"));
    const QString zone2Block = block(withData(withData(kBaseData, 7, digit), 3, "9"));
    QCOMPARE(decodeConfiguration(mainBlock, false)->input, index);
    QCOMPARE(decodeConfiguration(zone2Block, true)->input, index);
    QCOMPARE(decodeConfiguration(mainBlock, true)->input, 4);
}

void TestStateValues::standby_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("action");
    QTest::addRow("13 characters") << kDc2 + "R0088A03000" + kEtx << "on";
    QTest::addRow("14 characters") << kDc2 + "R0088A040000" + kEtx << "on";
    QTest::addRow("15 characters") << kDc2 + "R0088A0500000" + kEtx << "off";
    QTest::addRow("full block") << block(withData(kBaseData, 1, "0")) << "off";
    QTest::addRow("flag 1") << block(kBaseData) << "none";
    QTest::addRow("short block, flag 1") << kDc2 + "R0088A03100" + kEtx << "none";
    QTest::addRow("no DC2") << "XR0088A03000" + kEtx << "none";
    QTest::addRow("no ETX") << kDc2 + "R0088A03000X"
                            << "none";
    QTest::addRow("empty") << ""
                           << "none";
    QTest::addRow("flag not a digit") << kDc2 + "R0088A03X00" + kEtx << "error 13";
    QTest::addRow("flag blank") << kDc2 + "R0088A03 00" + kEtx << "error 13";
    QTest::addRow("no 10th character") << kDc2 + "R0088A0" + kEtx << "error 13";
    QTest::addRow("no DC2 and no digit") << "garbage text"
                                         << "error 13";
}

void TestStateValues::standby() {
    QFETCH(QString, block);
    QFETCH(QString, action);
    QString result;
    try {
        switch (standbyAction(block)) {
        case PowerAction::None:
            result = "none";
            break;
        case PowerAction::PowerOn:
            result = "on";
            break;
        case PowerAction::PowerOff:
            result = "off";
            break;
        }
    } catch (const RuntimeError &e) {
        result = QString("error %1").arg(e.number());
    }
    QCOMPARE(result, action);
}

void TestStateValues::levelTexts_data() {
    QTest::addColumn<double>("dB");
    QTest::addColumn<QString>("text");
    QTest::addRow("-40") << -40.0 << "-40.0";
    QTest::addRow("-10") << -10.0 << "-10.0";
    QTest::addRow("-5") << -5.0 << "-5";
    QTest::addRow("10") << 10.0 << "10";
    QTest::addRow("0") << 0.0 << "0";
    QTest::addRow("minus zero") << -0.0 << "0";
    QTest::addRow("-0.5") << -0.5 << "-0.5";
    // Three characters with a point get ".0" all the same.
    QTest::addRow("0.5") << 0.5 << "0.5.0";
    QTest::addRow("9.5") << 9.5 << "9.5.0";
    QTest::addRow("10.5") << 10.5 << "10.5";
    QTest::addRow("-40.5") << -40.5 << "-40.5";
    QTest::addRow("16.5") << 16.5 << "16.5";
    QTest::addRow("-99.5") << -99.5 << "-99.5";
    QTest::addRow("100") << 100.0 << "100.0";
    QTest::addRow("175") << 175.0 << "175.0";
}

void TestStateValues::levelTexts() {
    QFETCH(double, dB);
    QFETCH(QString, text);
    QCOMPARE(levelText(dB), text);
}

void TestStateValues::levelTextIgnoresTheLocale() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = levelText(-40.5);
    const int n = barLength(QStringLiteral("-37.5"));
    QLocale::setDefault(before);
    QCOMPARE(text, QStringLiteral("-40.5"));
    QCOMPARE(n, 12);
}

void TestStateValues::barLengths_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<int>("n");
    QTest::addRow("0 dB") << "0" << 20;
    QTest::addRow("-40 dB") << "-40.0" << 12;
    QTest::addRow("-40.5 dB") << "-40.5" << 12;
    QTest::addRow("-99.5 dB") << "-99.5" << 0;
    QTest::addRow("+28 dB") << "28" << 26;
    QTest::addRow("+3 dB") << "3" << 21;
    QTest::addRow("+2 dB") << "2" << 20;
    // Halves go to the even neighbour.
    QTest::addRow("19.5 -> 20") << "-2.5" << 20;
    QTest::addRow("20.5 -> 20") << "2.5" << 20;
    QTest::addRow("21.5 -> 22") << "7.5" << 22;
    QTest::addRow("18.5 -> 18") << "-7.5" << 18;
    QTest::addRow("12.5 -> 12") << "-37.5" << 12;
    QTest::addRow("11.5 -> 12") << "-42.5" << 12;
    QTest::addRow("0.5 -> 0") << "-97.5" << 0;
    QTest::addRow("+7.5 written 7.5.0") << "7.5.0" << 22;
    QTest::addRow("+9.5 written 9.5.0") << "9.5.0" << 22;
    QTest::addRow("not a number") << "abc" << 20;
    QTest::addRow("empty") << "" << 20;
    // Found by the fuzzer: a level beyond what the bar can count.
    QTest::addRow("far below") << "-024127002412" << std::numeric_limits<int>::min() + 1;
    QTest::addRow("far above") << "99999999999999999999" << std::numeric_limits<int>::max() - 1;
}

void TestStateValues::barLengths() {
    QFETCH(QString, level);
    QFETCH(int, n);
    QCOMPARE(barLength(level), n);
}

void TestStateValues::bars_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("bar");
    const QChar b = kVolumeBarBlock;
    QTest::addRow("0") << 0 << "--------------------";
    QTest::addRow("12") << 12 << QString(12, b) + "--------";
    QTest::addRow("19") << 19 << QString(19, b) + "-";
    QTest::addRow("20") << 20 << QString(20, b);
    QTest::addRow("26") << 26 << QString(26, b);
    QTest::addRow("negative") << -3 << "--------------------";
    // Found by the fuzzer: a level far out of range asked for a bar of two billion blocks.
    QTest::addRow("held at the longest") << INT_MAX << QString(kVolumeBarLongest, b);
}

void TestStateValues::bars() {
    QFETCH(int, n);
    QFETCH(QString, bar);
    QCOMPARE(volumeBar(n), bar);
}

void TestStateValues::volumeReports_data() {
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<int>("value");
    QTest::addColumn<double>("dB");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<int>("blocks");
    auto frame = [](const QString &text) { return kStx + text + kEtx; };
    QTest::addRow("26 00") << frame("002600") << "main" << 0 << -99.5 << "VOLUME -99.5dB" << 0;
    QTest::addRow("26 77") << frame("002677") << "main" << 0x77 << -40.0 << "VOLUME -40.0dB" << 12;
    QTest::addRow("26 78") << frame("002678") << "main" << 0x78 << -39.5 << "VOLUME -39.5dB" << 12;
    QTest::addRow("26 BD") << frame("0026BD") << "main" << 0xBD << -5.0 << "VOLUME -5dB" << 19;
    QTest::addRow("26 C6") << frame("0026C6") << "main" << 0xC6 << -0.5 << "VOLUME -0.5dB" << 20;
    QTest::addRow("26 C7") << frame("0026C7") << "main" << 0xC7 << 0.0 << "VOLUME 0dB" << 20;
    QTest::addRow("26 D6") << frame("0026D6") << "main" << 0xD6 << 7.5 << "VOLUME 7.5.0dB" << 22;
    QTest::addRow("26 CD") << frame("0026CD") << "main" << 0xCD << 3.0 << "VOLUME 3dB" << 21;
    QTest::addRow("26 FF") << frame("0026FF") << "main" << 0xFF << 28.0 << "VOLUME 28dB" << 26;
    QTest::addRow("26 c7 lower case")
        << frame("0026c7") << "main" << 0xC7 << 0.0 << "VOLUME 0dB" << 20;
    QTest::addRow("26 00 with remote prefix")
        << frame("112600") << "main" << 0 << -99.5 << "VOLUME -99.5dB" << 0;
    QTest::addRow("27 00") << frame("002700") << "zone2" << 0 << -80.0 << "ZONE2 VOL. -80.0dB" << 4;
    QTest::addRow("27 46") << frame("002746") << "zone2" << 0x46 << -10.0 << "ZONE2 VOL. -10.0dB"
                           << 18;
    QTest::addRow("27 50") << frame("002750") << "zone2" << 0x50 << 0.0 << "ZONE2 VOL. 0dB" << 20;
    QTest::addRow("27 FF") << frame("0027FF") << "zone2" << 0xFF << 175.0 << "ZONE2 VOL. 175.0dB"
                           << 55;
    QTest::addRow("another frame after it")
        << frame("0026C7") + frame("002301") << "main" << 0xC7 << 0.0 << "VOLUME 0dB" << 20;

    QTest::addRow("empty") << ""
                           << "none" << 0 << 0.0 << "" << 0;
    QTest::addRow("not a volume command") << frame("002301") << "none" << 0 << 0.0 << "" << 0;
    QTest::addRow("no STX: positions shift") << "0026C7" + kEtx << "none" << 0 << 0.0 << "" << 0;
    QTest::addRow("data not hexadecimal") << frame("0026G1") << "none" << 0 << 0.0 << "" << 0;
    QTest::addRow("no data") << frame("0026") << "none" << 0 << 0.0 << "" << 0;
    QTest::addRow("one data digit") << frame("00267") << "none" << 0 << 0.0 << "" << 0;
}

void TestStateValues::volumeReports() {
    QFETCH(QString, frame);
    QFETCH(QString, zone);
    QFETCH(int, value);
    QFETCH(double, dB);
    QFETCH(QString, line1);
    QFETCH(int, blocks);
    const auto report = decodeVolumeReport(frame);
    if (zone == "none") {
        QVERIFY(!report);
        return;
    }
    QVERIFY(report);
    QCOMPARE(report->zone, zone == "main" ? VolumeZone::Main : VolumeZone::Zone2);
    QCOMPARE(report->value, value);
    QCOMPARE(report->dB, dB);
    QCOMPARE(report->line1, line1);
    QCOMPARE(report->line1, (zone == "main" ? "VOLUME " : "ZONE2 VOL. ") + report->level + "dB");
    QCOMPARE(levelValue(report->level), dB);
    QCOMPARE(report->line2.count(kVolumeBarBlock), blocks);
    QCOMPARE(report->line2.size(), std::max(blocks, 20));
    QVERIFY(!report->line2.contains(kVolumeBarBlock + QString("-") + kVolumeBarBlock));
}

void TestStateValues::miniBar() {
    QCOMPARE(miniBarWidth(0, 210), 0.0);
    QCOMPARE(miniBarWidth(105, 100), 50.0);
    QCOMPARE(miniBarWidth(210, 100), 100.0);
    QCOMPARE(miniBarWidth(255, 210), 255.0);
    QCOMPARE(miniBarWidth(21, 1000), 100.0);
}

QTEST_GUILESS_MAIN(TestStateValues)
#include "tst_state_values.moc"
