// The panel tables and the classification of receiver reports.
#include "errors/RuntimeError.h"
#include "state/PanelTables.h"
#include "state/ReportEvaluation.h"

#include <QTest>

namespace {

QString keyName(ReportKey k) {
    switch (k) {
    case ReportKey::None:
        return "None";
    case ReportKey::Key61ES:
        return "Key61ES";
    case ReportKey::SpeakersAOff:
        return "SpeakersAOff";
    case ReportKey::SpeakersAOn:
        return "SpeakersAOn";
    case ReportKey::SpeakersBOff:
        return "SpeakersBOff";
    case ReportKey::SpeakersBOn:
        return "SpeakersBOn";
    case ReportKey::Rs232Test:
        return "Rs232Test";
    }
    return "?";
}

QString actionName(ReportAction a) {
    switch (a) {
    case ReportAction::None:
        return "None";
    case ReportAction::Es61Off:
        return "Es61Off";
    case ReportAction::Es61On:
        return "Es61On";
    case ReportAction::MuteOff:
        return "MuteOff";
    case ReportAction::MuteOn:
        return "MuteOn";
    case ReportAction::Zone2MuteOff:
        return "Zone2MuteOff";
    case ReportAction::Zone2MuteOn:
        return "Zone2MuteOn";
    case ReportAction::Dsp:
        return "Dsp";
    case ReportAction::InputMode:
        return "InputMode";
    case ReportAction::Lines:
        return "Lines";
    case ReportAction::HeadphoneOff:
        return "HeadphoneOff";
    case ReportAction::HeadphoneOn:
        return "HeadphoneOn";
    case ReportAction::PowerOn:
        return "PowerOn";
    }
    return "?";
}

// "[text]" for a line that is written, "~" for one left alone.
QString linesText(const StatusLines &l) {
    auto one = [](const std::optional<QString> &t) { return t ? "[" + *t + "]" : QString("~"); };
    return one(l.line1) + one(l.line2);
}

// A plan as one line of its non-default parts, so that a row states all it expects at once.
QString describe(const ReportPlan &p) {
    QStringList parts;
    if (p.volume) parts << "volume";
    if (p.key != ReportKey::None) parts << "key " + keyName(p.key);
    if (p.keyLines.line1 || p.keyLines.line2) parts << "keyLines " + linesText(p.keyLines);
    if (p.input) parts << QString("input %1%2").arg(*p.input).arg(p.inputZone2 ? " zone2" : "");
    if (p.action != ReportAction::None) parts << "action " + actionName(p.action);
    if (p.index != 0) parts << QString("index %1").arg(p.index);
    if (p.lines.line1 || p.lines.line2) parts << "lines " + linesText(p.lines);
    if (p.sixChannel == SixChannel::Off) parts << "6ch Off";
    if (p.sixChannel == SixChannel::On) parts << "6ch On";
    if (p.sixChannelLines.line1 || p.sixChannelLines.line2)
        parts << "6chLines " + linesText(p.sixChannelLines);
    return parts.join("; ");
}

} // namespace

class TestStateReports : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputButtons_data();
    void inputButtons();
    void inputLookupsOutsideTheTable();
    void dspPrograms_data();
    void dspPrograms();
    void dspGroups_data();
    void dspGroups();
    void dspCodes_data();
    void dspCodes();
    void buttonGroups();
    void plans_data();
    void plans();
    void inputReports_data();
    void inputReports();
};

void TestStateReports::inputButtons_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("reportCharacter");
    QTest::addColumn<QString>("mainZone");
    QTest::addColumn<QString>("zone2");
    const struct {
        int index;
        const char *caption, *reportCharacter, *mainZone, *zone2;
    } rows[] = {
        {1, "LD", "6", "InputLd", "Zone2InputLd"},
        {2, "D-TV", "7", "InputDTv", "Zone2InputDTv"},
        {3, "CBL/SAT", "8", "InputCblSat", "Zone2InputCblSat"},
        {4, "VCR 1", "9", "InputVcr1", "Zone2InputVcr1"},
        {5, "VCR 2", "A", "InputVcr2", "Zone2InputVcr2"},
        {6, "VCR 3", "B", "InputVcr3", "Zone2InputVcr3"},
        {7, "V-AUX", "C", "InputVAux", "Zone2InputVAux"},
        {8, "DVD", "5", "InputDvd", "Zone2InputDvd"},
        {9, "MD", "4", "InputMd", "Zone2InputMd"},
        {10, "TAPE", "3", "InputTape", "Zone2InputTape"},
        {11, "TUNER", "2", "InputTuner", "Zone2InputTuner"},
        {12, "CD", "1", "InputCd", "Zone2InputCd"},
        {13, "PHONO", "0", "InputPhono", "Zone2InputPhono"},
        {14, "CD-R", "", "InputCDR", "Zone2InputCDR"},
    };
    for (const auto &r : rows)
        QTest::addRow("%d %s", r.index, r.caption)
            << r.index << r.caption << r.reportCharacter << r.mainZone << r.zone2;
}

void TestStateReports::inputButtons() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, reportCharacter);
    QFETCH(QString, mainZone);
    QFETCH(QString, zone2);
    const InputButton *b = inputButton(index);
    QVERIFY(b);
    QCOMPARE(b->index, index);
    QCOMPARE(QString::fromLatin1(b->caption), caption);
    QCOMPARE(QString::fromLatin1(commandEntry(b->mainZone).name), mainZone);
    QCOMPARE(QString::fromLatin1(commandEntry(b->zone2).name), zone2);
    if (reportCharacter.isEmpty()) {
        QCOMPARE(b->reportCharacter, '\0');
    } else {
        QCOMPARE(QString(QLatin1Char(b->reportCharacter)), reportCharacter);
        QCOMPARE(inputIndexForReportCharacter(reportCharacter[0]), std::optional<qint16>(index));
    }
}

void TestStateReports::inputLookupsOutsideTheTable() {
    QVERIFY(!inputButton(0));
    QVERIFY(!inputButton(15));
    QVERIFY(!inputButton(-1));
    // The receiver writes upper case; the other characters name nothing.
    for (QChar c : {QChar(u'D'), QChar(u'a'), QChar(u'c'), QChar(u'F'), QChar(), QChar(u' ')})
        QVERIFY2(!inputIndexForReportCharacter(c), qPrintable(QString(c)));
    QVERIFY(!inputModeButton(0));
    QVERIFY(!inputModeButton(6));
    QVERIFY(!dspProgram(-1));
    QVERIFY(!dspProgram(32));
}

void TestStateReports::dspPrograms_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("lineText");
    const struct {
        const char *report;
        int index;
        const char *caption;
        const char *line;
    } rows[] = {
        {"2880", 0, "Effect Off", "EFFECT OFF"},
        {"2800", 1, "Hall A", "CONCERT HALL 1"},
        {"2801", 2, "Hall B", "CONCERT HALL 1"},
        {"2802", 3, "Hall C", "CONCERT HALL 1"},
        {"2804", 4, "Hall D", "CONCERT HALL 2"},
        {"2805", 5, "Hall E", "CONCERT HALL 2"},
        {"2806", 6, "Live Concert", "CONCERT HALL 2"},
        {"2808", 7, "Tokyo", "CHURCH"},
        {"2809", 8, "Freiburg", "CHURCH"},
        {"280A", 9, "Royaumont", "CHURCH"},
        {"280C", 10, "Village Gate", "JAZZ CLUB"},
        {"280D", 11, "VillageVanguard", "JAZZ CLUB"},
        {"280E", 12, "The Bottom Line", "JAZZ CLUB"},
        {"2810", 13, "Roxy Theatre", "ROCK CONCERT"},
        {"2811", 14, "Warehouse Loft", "ROCK CONCERT"},
        {"2812", 15, "Arena", "ROCK CONCERT"},
        {"2814", 16, "Disco", "ENTERTAINMENT"},
        {"2815", 17, "Party", "ENTERTAINMENT"},
        {"2816", 18, "Game/Amusement", "ENTERTAINMENT"},
        {"2818", 19, "Pop/Rock", "CONCERT VIDEO 1"},
        {"2819", 20, "DJ", "CONCERT VIDEO 1"},
        {"281C", 21, "Classical/Opera", "CONCERT VIDEO 2"},
        {"281D", 22, "Pavilion", "CONCERT VIDEO 2"},
        {"2820", 23, "Mono Movie", "TV THEATER"},
        {"2821", 24, "Variety/Sports", "TV THEATER"},
        {"2824", 25, "Spectacle", "MOVIE THEATER 1"},
        {"2825", 26, "Sci-Fi", "MOVIE THEATER 1"},
        {"2828", 27, "Adventure", "MOVIE THEATER 2"},
        {"2829", 28, "General", "MOVIE THEATER 2"},
        {"282C", 29, "Normal", "DD/DTS SUR."},
        {"282D", 30, "Enhanced", "DD/DTS SUR."},
        {"2817", 31, "8 Ch Stereo", nullptr},
    };
    for (const auto &r : rows)
        QTest::addRow("%s %s", r.report, r.caption)
            << r.report << r.index << r.caption << (r.line ? QString(r.line) : QString());
}

void TestStateReports::dspPrograms() {
    QFETCH(QString, report);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, lineText);
    for (const char *prefix : {"00", "10", "21"}) {
        const ReportPlan plan = planReport(prefix + report, false);
        QCOMPARE(plan.action, ReportAction::Dsp);
        QCOMPARE(plan.index, index);
        QVERIFY(!plan.lines.line1 && !plan.lines.line2);
    }
    const DspProgram *p = dspProgram(index);
    QVERIFY(p);
    QCOMPARE(p->index, index);
    QCOMPARE(QString::fromLatin1(p->caption), caption);
    QCOMPARE(p->lineText ? QString::fromLatin1(p->lineText) : QString(), lineText);
    // The configuration block carries the same numbers.
    const int value = report.mid(2).toInt(nullptr, 16);
    QCOMPARE(int(p->value), value);
    QCOMPARE(dspIndexForValue(value), std::optional<qint16>(index));
}

void TestStateReports::dspGroups_data() {
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addRow("Label_Effect") << 0 << "Effect Off" << 0 << 0;
    QTest::addRow("Label_Prog1") << 1 << "Concert Hall 1" << 1 << 3;
    QTest::addRow("Label_Prog2") << 2 << "Concert Hall 2" << 4 << 6;
    QTest::addRow("Label_Prog3") << 3 << "Church" << 7 << 9;
    QTest::addRow("Label_Prog4") << 4 << "Jazz Club" << 10 << 12;
    QTest::addRow("Label_Prog5") << 5 << "Rock Concert" << 13 << 15;
    QTest::addRow("Label_Prog6") << 6 << "Entertainment" << 16 << 18;
    QTest::addRow("Label_Prog7") << 7 << "Concert Video 1" << 19 << 20;
    QTest::addRow("Label_Prog8") << 8 << "Concert Video 2" << 21 << 22;
    QTest::addRow("Label_Prog9") << 9 << "Tv Theater" << 23 << 24;
    QTest::addRow("Label_Prog10") << 10 << "Movie Theater 1" << 25 << 26;
    QTest::addRow("Label_Prog11") << 11 << "Movie Theater 2" << 27 << 28;
    QTest::addRow("Label_Prog12 with 8 Ch Stereo") << 12 << "DD/DTS SUR." << 29 << 31;
}

void TestStateReports::dspGroups() {
    QFETCH(int, label);
    QFETCH(QString, caption);
    QFETCH(int, first);
    QFETCH(int, last);
    const DspGroup &g = kDspGroups[std::size_t(label)];
    QCOMPARE(g.label, label);
    QCOMPARE(QString::fromLatin1(g.caption), caption);
    QCOMPARE(g.first, first);
    QCOMPARE(g.last, last);
    // Status line 1 shows the label in upper case for every program under it but 8 Ch Stereo.
    for (int i = first; i <= last && i <= 30; ++i)
        QCOMPARE(QString::fromLatin1(dspProgram(i)->lineText), caption.toUpper());
}

void TestStateReports::dspCodes_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("code");
    QTest::addRow("Effect Off") << 0 << "07EE0";
    QTest::addRow("Hall A") << 1 << "07EE1";
    QTest::addRow("Arena") << 15 << "07EEF";
    QTest::addRow("Disco") << 16 << "07EF0";
    QTest::addRow("8 Ch Stereo") << 31 << "07EFF";
}

void TestStateReports::dspCodes() {
    QFETCH(int, index);
    QFETCH(QString, code);
    QCOMPARE(dspOperationCode(index), code);
}

void TestStateReports::buttonGroups() {
    // Buttons that share a code with a named command.
    QCOMPARE(dspOperationCode(0), QLatin1String(commandEntry(Cmd::DspEffectOff).code));
    QCOMPARE(dspOperationCode(29), QLatin1String(commandEntry(Cmd::DspSurroundNormal).code));
    QCOMPARE(dspOperationCode(30), QLatin1String(commandEntry(Cmd::DspSurroundEnhanced).code));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, dspOperationCode(32));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, dspOperationCode(-1));

    const struct {
        int index;
        const char *caption;
        Cmd command;
    } modes[] = {{1, "Auto", Cmd::InputModeAuto},
                 {2, "Digital", Cmd::InputModeDigital},
                 {3, "Analog", Cmd::InputModeAnalog},
                 {4, "DD", Cmd::InputModeDD},
                 {5, "DTS", Cmd::InputModeDTS}};
    for (const auto &m : modes) {
        const InputModeButton *b = inputModeButton(m.index);
        QVERIFY(b);
        QCOMPARE(QString::fromLatin1(b->caption), QString::fromLatin1(m.caption));
        QCOMPARE(b->command, m.command);
    }

    QCOMPARE(onOffCommand(kSpeakersA, 0), std::optional(Cmd::SpeakersAOff));
    QCOMPARE(onOffCommand(kSpeakersA, 1), std::optional(Cmd::SpeakersAOn));
    QCOMPARE(onOffCommand(kSpeakersB, 0), std::optional(Cmd::SpeakersBOff));
    QCOMPARE(onOffCommand(kSpeakersB, 1), std::optional(Cmd::SpeakersBOn));
    QCOMPARE(onOffCommand(kEs61, 0), std::optional(Cmd::Dsp61ESOff));
    QCOMPARE(onOffCommand(kEs61, 1), std::optional(Cmd::Dsp61ESOn));
    QCOMPARE(onOffCommand(kSixChannelInput, 0), std::optional(Cmd::Input6ChOff));
    QCOMPARE(onOffCommand(kSixChannelInput, 1), std::optional(Cmd::Input6ChOn));
    QVERIFY(!onOffCommand(kSpeakersA, 2));
    QVERIFY(!onOffCommand(kSixChannelInput, -1));
}

void TestStateReports::plans_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("zone2Mode");
    QTest::addColumn<QString>("plan");

    // Volume: nothing but the hand-over.
    QTest::addRow("main volume") << "00267B" << false << "volume";
    QTest::addRow("zone 2 volume") << "002750" << false << "volume";
    QTest::addRow("main volume, first prefix ignored") << "10267B" << false << "volume";
    QTest::addRow("main volume 00, any prefix") << "112600" << false << "volume";
    QTest::addRow("main volume 00, odd prefix") << "XY2600" << false << "volume";
    QTest::addRow("second prefix 1, data not 00") << "01267B" << false << "";
    QTest::addRow("zone 2, second prefix 1") << "012750" << false << "";
    QTest::addRow("zone 2 00 with second prefix 1") << "012700" << false << "";
    QTest::addRow("volume command without data") << "0026" << false << "volume";
    QTest::addRow("too short for any slice") << "2600" << false << "";

    // Whole text, with what the command-and-data step adds.
    QTest::addRow("6.1/ES key, RS-232C") << "102D00" << false << "key Key61ES; action Es61Off";
    QTest::addRow("6.1/ES key, remote") << "112D00" << false << "key Key61ES; action Es61Off";
    QTest::addRow("6.1/ES off from the panel") << "202D00" << false << "action Es61Off";
    QTest::addRow("6.1/ES on") << "102D01" << false << "action Es61On; index 1";
    QTest::addRow("speakers A off") << "202E00" << false << "key SpeakersAOff";
    QTest::addRow("speakers A on") << "202E01" << false << "key SpeakersAOn";
    QTest::addRow("speakers B off") << "202F00" << false << "key SpeakersBOff";
    QTest::addRow("speakers B on") << "202F01" << false << "key SpeakersBOn";
    QTest::addRow("speakers with another prefix") << "002E01" << false << "";
    QTest::addRow("RS-232C test 0") << "2F000" << false << "key Rs232Test; keyLines [RS232 TEST][]";
    QTest::addRow("RS-232C test 1") << "2F001" << false << "key Rs232Test; keyLines [RS232 TEST][]";
    QTest::addRow("RS-232C test 2") << "2F002" << false << "key Rs232Test; keyLines [RS232 TEST][]";
    QTest::addRow("RS-232C test 3 is none") << "2F003" << false << "";
    QTest::addRow("RS-232C test too long") << "2F0010" << false << "";

    // Command and data.
    QTest::addRow("mute off") << "002300" << false << "action MuteOff; lines [MUTE OFF][]";
    QTest::addRow("mute on") << "102301" << false << "action MuteOn; lines [MUTE ON][]";
    QTest::addRow("zone 2 mute off")
        << "002500" << false << "action Zone2MuteOff; lines [ZONE2 MUTE OFF][]";
    QTest::addRow("zone 2 mute on")
        << "002501" << false << "action Zone2MuteOn; lines [ZONE2 MUTE ON][]";
    QTest::addRow("input mode auto")
        << "002200" << false << "action InputMode; index 1; lines ~[AUTO]";
    QTest::addRow("input mode DD")
        << "002201" << false << "action InputMode; index 4; lines ~[D.D. RF]";
    QTest::addRow("input mode DTS")
        << "002202" << false << "action InputMode; index 5; lines ~[DTS]";
    QTest::addRow("input mode digital")
        << "002203" << false << "action InputMode; index 2; lines ~[DIGITAL]";
    QTest::addRow("input mode analog")
        << "002204" << false << "action InputMode; index 3; lines ~[ANALOG]";
    QTest::addRow("input mode 05 is none") << "002205" << false << "";
    QTest::addRow("over current") << "000100" << false
                                  << "action Lines; lines [Warning][Over Current]";
    QTest::addRow("DC") << "000101" << false << "action Lines; lines [Warning][DC]";
    QTest::addRow("power trouble")
        << "000102" << false << "action Lines; lines [Warning][Power trouble]";
    QTest::addRow("over heat") << "000103" << false << "action Lines; lines [Warning][Over Heat]";
    QTest::addRow("headphone out")
        << "003400" << false << "action HeadphoneOff; lines [Head Phone][OFF]";
    QTest::addRow("headphone in") << "003401" << false
                                  << "action HeadphoneOn; lines [Head Phone][ON]";
    QTest::addRow("sleep off") << "002C04" << false << "action Lines; lines [SLEEP OFF][]";
    QTest::addRow("sleep 30") << "002C03" << false << "action Lines; lines [SLEEP 30min.][]";
    QTest::addRow("sleep 60") << "002C02" << false << "action Lines; lines [SLEEP 60min.][]";
    QTest::addRow("sleep 90") << "002C01" << false << "action Lines; lines [SLEEP 90min.][]";
    QTest::addRow("sleep 120") << "002C00" << false << "action Lines; lines [SLEEP 120min.][]";
    QTest::addRow("power off") << "002000" << false << "action Lines; lines [POWER OFF][]";
    QTest::addRow("power on") << "002001" << false << "action PowerOn; lines [POWER ON][]";
    QTest::addRow("command and data too long") << "0023000" << false << "";
    QTest::addRow("lower-case data") << "002c04" << false << "";

    // DSP data outside the table, and shapes that are not a DSP row.
    QTest::addRow("DSP data 03") << "002803" << false << "";
    QTest::addRow("DSP data 07") << "002807" << false << "";
    QTest::addRow("DSP data FF") << "0028FF" << false << "";
    QTest::addRow("DSP lower-case data") << "00280a" << false << "";
    QTest::addRow("DSP one digit") << "00281" << false << "";
    QTest::addRow("DSP three digits") << "0028170" << false << "";
    QTest::addRow("DSP signed data") << "0028+1" << false << "";

    // 6-channel input.
    QTest::addRow("6ch off") << "002100" << false << "6ch Off";
    QTest::addRow("6ch off, any second digit") << "00210F" << false << "6ch Off";
    QTest::addRow("6ch data 01: the first digit says off") << "002101" << false << "6ch Off";
    QTest::addRow("6ch on data 1x") << "002110" << false << "6ch On; 6chLines [][6CH INPUT]";
    QTest::addRow("6ch too short") << "0021" << false << "";

    // Input reports with the steps they share.
    QTest::addRow("DVD and 6ch off") << "102105" << false << "input 8; 6ch Off";
    QTest::addRow("DVD in zone-2 mode is still the main input")
        << "102105" << true << "input 8; 6ch Off";
    QTest::addRow("input report with data 1x")
        << "102115" << false << "input 8; 6ch On; 6chLines [][6CH INPUT]";
    QTest::addRow("main input unknown character") << "10210D" << false << "6ch Off";
    QTest::addRow("main input lower-case") << "10210a" << false << "6ch Off";
    QTest::addRow("four characters: last one names the input") << "1021" << false << "input 12";
    QTest::addRow("zone 2 PHONO in zone-2 mode") << "202400" << true << "input 13 zone2";
    QTest::addRow("zone 2 PHONO on the main zone") << "202400" << false << "";
    QTest::addRow("zone-2 head needs its prefix") << "00240C" << true << "";
    QTest::addRow("zone 2 V-AUX") << "20240C" << true << "input 7 zone2";

    // Texts that match nothing.
    QTest::addRow("empty") << "" << false << "";
    QTest::addRow("one character") << "1" << true << "";
    QTest::addRow("noise") << QString::fromUtf8("\x01\xc3\xa4\x7f\x02") << true << "";
    QTest::addRow("long text") << QString(5000, QLatin1Char('2')) << true << "";
}

void TestStateReports::plans() {
    QFETCH(QString, text);
    QFETCH(bool, zone2Mode);
    QFETCH(QString, plan);
    QCOMPARE(describe(planReport(text, zone2Mode)), plan);
}

void TestStateReports::inputReports_data() {
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("index");
    QTest::addRow("0 PHONO") << "0" << 13;
    QTest::addRow("1 CD") << "1" << 12;
    QTest::addRow("2 TUNER") << "2" << 11;
    QTest::addRow("3 TAPE") << "3" << 10;
    QTest::addRow("4 MD") << "4" << 9;
    QTest::addRow("5 DVD") << "5" << 8;
    QTest::addRow("6 LD") << "6" << 1;
    QTest::addRow("7 D-TV") << "7" << 2;
    QTest::addRow("8 CBL/SAT") << "8" << 3;
    QTest::addRow("9 VCR 1") << "9" << 4;
    QTest::addRow("A VCR 2") << "A" << 5;
    QTest::addRow("B VCR 3") << "B" << 6;
    QTest::addRow("C V-AUX") << "C" << 7;
}

void TestStateReports::inputReports() {
    QFETCH(QString, character);
    QFETCH(int, index);
    const ReportPlan main = planReport("10210" + character, false);
    QCOMPARE(main.input, std::optional<qint16>(index));
    QCOMPARE(main.inputZone2, false);
    QCOMPARE(main.sixChannel, SixChannel::Off);
    const ReportPlan zone2 = planReport("20240" + character, true);
    QCOMPARE(zone2.input, std::optional<qint16>(index));
    QCOMPARE(zone2.inputZone2, true);
    QCOMPARE(zone2.sixChannel, SixChannel::None);
}

QTEST_GUILESS_MAIN(TestStateReports)
#include "tst_state_reports.moc"
