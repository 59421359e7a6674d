// The simulated receiver without a line: configuration answers, reports, volume, standby.
#include "WireBytes.h"

#include "sim/ConfigurationAnswer.h"
#include "sim/LineDecoder.h"
#include "sim/ReceiverModel.h"

#include <QTest>

using namespace Sim;

Q_DECLARE_METATYPE(Sim::ReceiverState)
Q_DECLARE_METATYPE(Sim::Source)

namespace {
QByteArray block(const char *text) {
    return wire("<DC2>") + text + wire("<ETX>");
}

// A receiver whose reports are on, as the program leaves it after connecting.
ReceiverModel reportingModel(bool standby = false) {
    ReceiverModel m(QStringLiteral("R0073"), standby);
    m.execute(u"20000");
    return m;
}

QStringList runCodes(ReceiverModel &m, const QStringList &codes, Source source = Source::Rs232) {
    QStringList texts;
    for (const QString &code : codes)
        texts += m.execute(code, source).texts();
    return texts;
}

// Data block character at a 1-based position of the configuration answer's data.
QString dataAt(const ReceiverModel &m, int position, int width) {
    return QString::fromLatin1(m.configurationAnswer().mid(8 + position, width));
}
} // namespace

class TestReceiverModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void configurationAnswer_data();
    void configurationAnswer();
    void checksum_data();
    void checksum();
    void commandReports_data();
    void commandReports();
    void reportPrefixBySource_data();
    void reportPrefixBySource();
    void reportsDisabled_data();
    void reportsDisabled();
    void volumeSteps_data();
    void volumeSteps();
    void volumeMemories_data();
    void volumeMemories();
    void standby_data();
    void standby();
    void receiverActions_data();
    void receiverActions();
    void displayText_data();
    void displayText();
    void lineDecoder_data();
    void lineDecoder();
    void lineFrames_data();
    void lineFrames();
    void reset_data();
    void reset();
};

void TestReceiverModel::configurationAnswer_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<ReceiverState>("state");
    QTest::addColumn<QByteArray>("answer");

    const ReceiverState on;
    ReceiverState standby;
    standby.power = false;
    QTest::addRow("plain model on")
        << "R0073" << on << block("R0073C230150001077462C1000000010000000000008A");
    QTest::addRow("plain model in standby: 14 characters")
        << "R0073" << standby << block("R0073C020021");
    QTest::addRow("prefixed model on: length 2A")
        << "R0112" << on << block("R0112A2A@E019000150001077462C1000000010000000000000F");
    QTest::addRow("prefixed model in standby: ten data characters")
        << "R0112" << standby << block("R0112A0A@E01900000D7");
    QTest::addRow("unknown model")
        << "R9999" << on << block("R9999A230150001077462C100000001000000000000A2");

    ReceiverState changed;
    changed.sixChannel = true; // hides the input mode: digit 5
    changed.mute = true;
    changed.dspEffect = false; // program digits stay, effect digit 0
    changed.speakersB = true;
    changed.mainVolume = 0xC7;
    changed.zone2Input = 0x2;
    changed.zone2Mute = true;
    changed.zone2Volume = 0x47;
    changed.es61 = true;
    QTest::addRow("6-channel, mutes, effect off, ES, speakers B")
        << "R0088" << changed << block("R0088B2301515121C7472C010000001100000000000A6");

    ReceiverState other;
    other.mainInput = 0xD; // CD-R
    other.inputMode = 3;   // Digital
    other.dspProgram = 31; // 8 Ch Stereo reports as 17
    other.speakersA = false;
    other.headphones = true;
    QTest::addRow("CD-R, digital, 8 Ch Stereo, headphones")
        << "A0037" << other << block("A0037A2301D030107746171000000000000001000007C");
}

void TestReceiverModel::configurationAnswer() {
    QFETCH(QString, model);
    QFETCH(ReceiverState, state);
    QFETCH(QByteArray, answer);
    ReceiverModel m(model);
    m.setState(state);
    QCOMPARE(m.configurationAnswer(), answer);
}

void TestReceiverModel::checksum_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("checksum");
    QTest::addRow("nothing") << QByteArray() << QByteArray("00");
    QTest::addRow("one character") << QByteArray("A") << QByteArray("41");
    QTest::addRow("standby block") << QByteArray("R0073C0200") << QByteArray("21");
    QTest::addRow("sum of exactly 256") << QByteArray("\x80\x80") << QByteArray("00");
    QTest::addRow("wraps around") << QByteArray("\xFF\xFF\xFF") << QByteArray("FD");
    QTest::addRow("upper-case digits") << QByteArray("\x0A") << QByteArray("0A");
}

void TestReceiverModel::checksum() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, checksum);
    QCOMPARE(blockChecksum(text), checksum);
}

void TestReceiverModel::commandReports_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("reports");
    // Where the change shows in the configuration block (0: nowhere).
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("blockValue");

    QTest::addRow("input DVD") << "07AC1" << QStringList{"102105"} << 3 << "5";
    QTest::addRow("input PHONO") << "07A14" << QStringList{"102100"} << 3 << "0";
    QTest::addRow("input V-AUX") << "07A55" << QStringList{"10210C"} << 3 << "C";
    QTest::addRow("input VCR 1") << "07A0F" << QStringList{"102109"} << 3 << "9";
    QTest::addRow("input CD-R uses D") << "07A19" << QStringList{"10210D"} << 3 << "D";
    QTest::addRow("input CBL/SAT") << "07AC0" << QStringList{"102108"} << 3 << "8";
    QTest::addRow("lower-case code") << "07ac9" << QStringList{"102104"} << 3 << "4";
    QTest::addRow("zone 2 DVD") << "07ACD" << QStringList{"202405"} << 7 << "5";
    QTest::addRow("zone 2 PHONO") << "07AD0" << QStringList{"202400"} << 7 << "0";
    QTest::addRow("zone 2 CD-R") << "07AD4" << QStringList{"20240D"} << 7 << "D";
    QTest::addRow("zone 2 V-AUX") << "07AD8" << QStringList{"20240C"} << 7 << "C";
    QTest::addRow("speakers A off") << "07EAC" << QStringList{"202E00"} << 23 << "0";
    QTest::addRow("speakers A on") << "07EAB" << QStringList{"202E01"} << 23 << "1";
    QTest::addRow("speakers B on") << "07EAD" << QStringList{"202F01"} << 24 << "1";
    QTest::addRow("speakers B off") << "07EAE" << QStringList{"202F00"} << 24 << "0";
    QTest::addRow("mute on") << "07EA2" << QStringList{"002301"} << 6 << "1";
    QTest::addRow("mute off") << "07EA3" << QStringList{"002300"} << 6 << "0";
    QTest::addRow("zone 2 mute on") << "07EA0" << QStringList{"002501"} << 8 << "1";
    QTest::addRow("zone 2 mute off") << "07EA1" << QStringList{"002500"} << 8 << "0";
    QTest::addRow("DSP effect off") << "07EE0" << QStringList{"002880"} << 13 << "2C0";
    QTest::addRow("DSP Hall A") << "07EE1" << QStringList{"002800"} << 13 << "001";
    QTest::addRow("DSP Tokyo") << "07EE7" << QStringList{"002808"} << 13 << "081";
    QTest::addRow("DSP Normal") << "07EFD" << QStringList{"00282C"} << 13 << "2C1";
    QTest::addRow("DSP Enhanced") << "07EFE" << QStringList{"00282D"} << 13 << "2D1";
    QTest::addRow("DSP 8 Ch Stereo") << "07EFF" << QStringList{"002817"} << 13 << "171";
    QTest::addRow("sleep off") << "07EB3" << QStringList{"002C04"} << 0 << "";
    QTest::addRow("sleep 120") << "07EB4" << QStringList{"002C00"} << 0 << "";
    QTest::addRow("sleep 30") << "07EB7" << QStringList{"002C03"} << 0 << "";
    QTest::addRow("input mode Auto") << "07EA6" << QStringList{"002200"} << 5 << "0";
    QTest::addRow("input mode DD") << "07EA7" << QStringList{"002201"} << 5 << "1";
    QTest::addRow("input mode Analog") << "07EAA" << QStringList{"002204"} << 5 << "4";
    QTest::addRow("6-channel on") << "07EA4" << QStringList{"102115"} << 4 << "15";
    QTest::addRow("6-channel off") << "07EA5" << QStringList{"102105"} << 4 << "00";
    QTest::addRow("6.1/ES on") << "07EB8" << QStringList{"002D01"} << 16 << "1";
    QTest::addRow("power off") << "07A1E" << QStringList{"002000"} << 2 << "0";
    QTest::addRow("power on while on") << "07A1D" << QStringList{"002001"} << 2 << "1";
    QTest::addRow("unknown operation") << "07FFF" << QStringList{} << 0 << "";
    QTest::addRow("unknown system command") << "27777" << QStringList{} << 0 << "";
    QTest::addRow("report interval") << "20107" << QStringList{} << 0 << "";
    QTest::addRow("test echo") << "2F001" << QStringList{} << 0 << "";
    QTest::addRow("not hexadecimal") << "07AG1" << QStringList{} << 0 << "";
    QTest::addRow("too short") << "07AC" << QStringList{} << 0 << "";
}

void TestReceiverModel::commandReports() {
    QFETCH(QString, code);
    QFETCH(QStringList, reports);
    QFETCH(int, position);
    QFETCH(QString, blockValue);
    ReceiverModel m = reportingModel();
    QCOMPARE(m.execute(code).texts(), reports);
    if (position) QCOMPARE(dataAt(m, position, int(blockValue.size())), blockValue);
}

void TestReceiverModel::reportPrefixBySource_data() {
    QTest::addColumn<Source>("source");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("report");
    QTest::addRow("mute from the panel") << Source::Panel << "07EA2"
                                         << "202301";
    QTest::addRow("mute from the remote") << Source::Remote << "07EA2"
                                          << "102301";
    QTest::addRow("volume from the panel") << Source::Panel << "07A1A"
                                           << "202678";
    QTest::addRow("DSP from the remote") << Source::Remote << "07EFF"
                                         << "102817";
    QTest::addRow("power off from the panel") << Source::Panel << "07A1E"
                                              << "202000";
    // These forms are matched literally by the program, whoever made the change.
    QTest::addRow("input from the panel") << Source::Panel << "07A16"
                                          << "102102";
    QTest::addRow("zone 2 input from the remote") << Source::Remote << "07AD2"
                                                  << "202402";
    QTest::addRow("speakers from the remote") << Source::Remote << "07EAC"
                                              << "202E00";
}

void TestReceiverModel::reportPrefixBySource() {
    QFETCH(Source, source);
    QFETCH(QString, code);
    QFETCH(QString, report);
    ReceiverModel m = reportingModel();
    QCOMPARE(m.execute(code, source).texts(), QStringList{report});
}

void TestReceiverModel::reportsDisabled_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("blockValue");
    QTest::addRow("input") << "07A15" << 3 << "1";
    QTest::addRow("speakers") << "07EAD" << 24 << "1";
    QTest::addRow("mute") << "07EA2" << 6 << "1";
    QTest::addRow("DSP") << "07EFF" << 13 << "17";
    QTest::addRow("memory recall") << "07E75" << 9 << "77";
    QTest::addRow("power off") << "07A1E" << 2 << "0";
}

void TestReceiverModel::reportsDisabled() {
    QFETCH(QString, code);
    QFETCH(int, position);
    QFETCH(QString, blockValue);
    ReceiverModel m; // reports are off until the program enables them
    QVERIFY(m.execute(code).frames.isEmpty());
    QCOMPARE(dataAt(m, position, int(blockValue.size())), blockValue);

    m.execute(u"20000");
    m.execute(u"20001");
    QVERIFY(m.execute(code).frames.isEmpty());
}

void TestReceiverModel::volumeSteps_data() {
    QTest::addColumn<int>("mainVolume");
    QTest::addColumn<int>("zone2Volume");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("answer");
    QTest::addRow("main up") << 0x77 << 0x46 << "07A1A"
                             << "002678";
    QTest::addRow("main down") << 0x77 << 0x46 << "07A1B"
                               << "002676";
    QTest::addRow("main up to 0 dB") << 0xC6 << 0x46 << "07A1A"
                                     << "0026C7";
    QTest::addRow("main down at the bottom") << 0x27 << 0x46 << "07A1B"
                                             << "002627";
    QTest::addRow("main up at the top") << 0xE8 << 0x46 << "07A1A"
                                        << "0026E8";
    QTest::addRow("zone 2 up") << 0x77 << 0x46 << "07ADA"
                               << "002747";
    QTest::addRow("zone 2 down") << 0x77 << 0x46 << "07ADB"
                                 << "002745";
    QTest::addRow("zone 2 down at the bottom") << 0x77 << 0x28 << "07ADB"
                                               << "002728";
    QTest::addRow("zone 2 up at the top") << 0x77 << 0x5A << "07ADA"
                                          << "00275A";
}

void TestReceiverModel::volumeSteps() {
    QFETCH(int, mainVolume);
    QFETCH(int, zone2Volume);
    QFETCH(QString, code);
    QFETCH(QString, answer);
    for (const bool reports : {false, true}) {
        ReceiverModel m;
        ReceiverState s;
        s.mainVolume = mainVolume;
        s.zone2Volume = zone2Volume;
        s.reportsEnabled = reports;
        m.setState(s);
        // The answer comes once, with reports on or off.
        QCOMPARE(m.execute(code).texts(), QStringList{answer});
        const bool main = code.startsWith(QLatin1String("07A1"));
        QCOMPARE(dataAt(m, main ? 9 : 11, 2), answer.right(2));
    }
}

void TestReceiverModel::volumeMemories_data() {
    QTest::addColumn<int>("bank");
    for (int bank = 0; bank < 6; ++bank)
        QTest::addRow("%c", 'A' + bank) << bank;
}

void TestReceiverModel::volumeMemories() {
    QFETCH(int, bank);
    const QString save = QStringLiteral("07E%1").arg(0x6B + bank, 2, 16).toUpper();
    const QString recall = QStringLiteral("07E%1").arg(0x75 + bank, 2, 16).toUpper();
    ReceiverModel m = reportingModel();
    runCodes(m, QStringList(6, QStringLiteral("07A1A"))); // 0x77 + 6 = 0x7D
    QVERIFY(m.execute(save).frames.isEmpty());
    runCodes(m, QStringList(10, QStringLiteral("07A1B")));
    QCOMPARE(m.state().mainVolume, 0x73);

    QCOMPARE(m.execute(recall).texts(), QStringList{"00267D"});
    QCOMPARE(m.state().mainVolume, 0x7D);
    // The other banks keep what they held.
    for (int other = 0; other < 6; ++other)
        if (other != bank) QCOMPARE(m.state().memories[other], 0x77);
}

void TestReceiverModel::standby_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<bool>("powerAfter");
    QTest::addRow("power on wakes with input and volume")
        << "07A1D" << QStringList{"002001", "102105", "002677"} << true;
    QTest::addRow("power off again") << "07A1E" << QStringList{"002000"} << false;
    QTest::addRow("input ignored") << "07AC1" << QStringList{} << false;
    QTest::addRow("volume step not answered") << "07A1A" << QStringList{} << false;
    QTest::addRow("mute ignored") << "07EA2" << QStringList{} << false;
    QTest::addRow("DSP ignored") << "07EFF" << QStringList{} << false;
    QTest::addRow("memory recall ignored") << "07E75" << QStringList{} << false;
    QTest::addRow("speakers ignored") << "07EAB" << QStringList{} << false;
}

void TestReceiverModel::standby() {
    QFETCH(QString, code);
    QFETCH(QStringList, reports);
    QFETCH(bool, powerAfter);
    ReceiverModel m = reportingModel(true);
    ReceiverState before = m.state();
    QCOMPARE(m.execute(code).texts(), reports);
    QCOMPARE(m.state().power, powerAfter);
    if (!powerAfter) {
        QCOMPARE(m.state(), before);
        QCOMPARE(m.configurationAnswer().size(), 14);
    }
    // System commands act in standby too.
    m.execute(u"20001");
    QVERIFY(!m.state().reportsEnabled);
}

void TestReceiverModel::receiverActions_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("reportsOn");
    QTest::addColumn<QStringList>("sent");
    QTest::addRow("6.1/ES key") << "es" << true << QStringList{"102D00"};
    QTest::addRow("6.1/ES key, reports off") << "es" << false << QStringList{};
    QTest::addRow("headphones in") << "headphones in" << true << QStringList{"203401"};
    QTest::addRow("headphones out") << "headphones out" << true << QStringList{"203400"};
    QTest::addRow("warning over current") << "warning 0" << true << QStringList{"200100"};
    QTest::addRow("warning over heat") << "warning 3" << true << QStringList{"200103"};
    QTest::addRow("no warning 4") << "warning 4" << true << QStringList{};
    QTest::addRow("test message") << "test 1" << true << QStringList{"2F001"};
    QTest::addRow("test message, reports off") << "test 2" << false << QStringList{"2F002"};
}

void TestReceiverModel::receiverActions() {
    QFETCH(QString, action);
    QFETCH(bool, reportsOn);
    QFETCH(QStringList, sent);
    ReceiverModel m = reportingModel();
    m.execute(u"07EB8"); // 6.1/ES on
    if (!reportsOn) m.execute(u"20001");
    const QStringList words = action.split(QLatin1Char(' '));
    Response r;
    if (words[0] == QLatin1String("es"))
        r = m.pressRemoteEsKey();
    else if (words[0] == QLatin1String("headphones"))
        r = m.setHeadphones(words[1] == QLatin1String("in"));
    else if (words[0] == QLatin1String("warning"))
        r = m.raiseWarning(words[1].toInt());
    else
        r = m.sendTestMessage(words[1].toInt());
    QCOMPARE(r.texts(), sent);
    if (words[0] == QLatin1String("es")) QCOMPARE(dataAt(m, 16, 1), QStringLiteral("0"));
    if (words[0] == QLatin1String("headphones"))
        QCOMPARE(dataAt(m, 30, 1),
                 QString::fromLatin1(words[1] == QLatin1String("in") ? "1" : "0"));
}

void TestReceiverModel::displayText_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("shown");
    QTest::addRow("full message") << QStringList{"21000", "3Hell", "3o012", "33456", "37890"}
                                  << "Hello01234567890";
    QTest::addRow("padded with blanks")
        << QStringList{"21000", "3Hell", "3o   ", "3    ", "3    "} << "Hello           ";
    QTest::addRow("packets without a start")
        << QStringList{"3Hell", "3o012", "33456", "37890"} << "";
    QTest::addRow("three packets are not a message")
        << QStringList{"21000", "3Hell", "3o012", "33456"} << "";
    QTest::addRow("a new start forgets the old packets")
        << QStringList{"21000", "3xxxx", "21000", "3Hell", "3o012", "33456", "37890"}
        << "Hello01234567890";
}

void TestReceiverModel::displayText() {
    QFETCH(QStringList, codes);
    QFETCH(QString, shown);
    ReceiverModel m(QStringLiteral("R0073"), true); // display text works in standby
    const QStringList sent = runCodes(m, codes);
    QVERIFY(sent.isEmpty());
    QCOMPARE(m.displayText(), shown);
}

void TestReceiverModel::lineDecoder_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("frames"); // kind letter + body: C command, Q request, R reset
    QTest::addRow("command") << QList{wire("<STX>07AC1<ETX>")} << QStringList{"C07AC1"};
    QTest::addRow("configuration request") << QList{wire("<DC1>000<ETX>")} << QStringList{"Q000"};
    QTest::addRow("reset") << QList{wire("<DC3><DEL><DEL><DEL><ETX>")}
                           << QStringList{"R\x7F\x7F\x7F"};
    QTest::addRow("two frames in one read")
        << QList{wire("<STX>20000<ETX><STX>07A1D<ETX>")} << QStringList{"C20000", "C07A1D"};
    QTest::addRow("frame across three reads")
        << QList{wire("<STX>07"), wire("A1"), wire("D<ETX>")} << QStringList{"C07A1D"};
    QTest::addRow("noise before a frame")
        << QList{wire("xy<ETX>z<STX>07A1D<ETX>")} << QStringList{"C07A1D"};
    QTest::addRow("cut frame forgotten at the next start")
        << QList{wire("<STX>07A<DC1>000<ETX>")} << QStringList{"Q000"};
    QTest::addRow("empty frame") << QList{wire("<STX><ETX>")} << QStringList{"C"};
    QTest::addRow("overlong frame dropped")
        << QList{wire("<STX>") + QByteArray(40, 'A') + wire("<ETX><STX>07A1D<ETX>")}
        << QStringList{"C07A1D"};
}

void TestReceiverModel::lineDecoder() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, frames);
    LineDecoder decoder;
    QStringList got;
    for (const QByteArray &chunk : chunks) {
        for (const LineFrame &f : decoder.feed(chunk)) {
            const char kind = f.kind == LineFrame::Kind::Command                ? 'C'
                              : f.kind == LineFrame::Kind::ConfigurationRequest ? 'Q'
                                                                                : 'R';
            got << QLatin1Char(kind) + QString::fromLatin1(f.body);
        }
    }
    QCOMPARE(got, frames);
}

void TestReceiverModel::lineFrames_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray on = wire("<DC2>R0073C230150001077462C1000000010000000000008A<ETX>");
    QTest::addRow("configuration request") << wire("<DC1>000<ETX>") << on;
    QTest::addRow("request with other digits ignored") << wire("<DC1>001<ETX>") << QByteArray();
    QTest::addRow("volume step answered") << wire("<STX>07A1B<ETX>") << wire("<STX>002676<ETX>");
    QTest::addRow("reset answered with the block")
        << wire("<STX>07A1B<ETX><DC3><DEL><DEL><DEL><ETX>") << wire("<STX>002676<ETX>") + on;
    QTest::addRow("reset frame with other bytes ignored")
        << wire("<DC3><DEL><DEL><ETX>") << QByteArray();
}

void TestReceiverModel::lineFrames() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, sent);
    ReceiverModel m;
    QCOMPARE(m.receive(bytes).frames.join(), sent);
}

void TestReceiverModel::reset_data() {
    QTest::addColumn<bool>("startInStandby");
    QTest::addRow("started on") << false;
    QTest::addRow("started in standby") << true;
}

void TestReceiverModel::reset() {
    QFETCH(bool, startInStandby);
    ReceiverModel m(QStringLiteral("R0132"), startInStandby);
    const ReceiverState start = m.state();
    const QByteArray startAnswer = m.configurationAnswer();
    runCodes(m, {"20000", "20103", "07A1D", "07A13", "07EA2", "07A1A", "07E6B", "07EFF", "21000",
                 "3abc "});
    QVERIFY(m.state() != start);

    const Response r = m.reset();
    QCOMPARE(m.state(), start);
    QCOMPARE(r.frames, QList<QByteArray>{startAnswer});
    QCOMPARE(m.modelId(), QStringLiteral("R0132"));
    // A display message begun before the reset is forgotten.
    runCodes(m, {"3defg", "3hijk", "3lmno"});
    QCOMPARE(m.displayText(), QString());
}

QTEST_GUILESS_MAIN(TestReceiverModel)
#include "tst_receivermodel.moc"
