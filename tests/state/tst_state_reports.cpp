// SPDX-License-Identifier: GPL-3.0-or-later
// The panel tables against the simulator's tables and reports; the classification of reports.
#include "base/RuntimeError.h"
#include "sim/ReceiverModel.h"
#include "state/PanelTables.h"
#include "state/ReportEvaluation.h"
#include "support/DataRows.h"
#include "support/Fixtures.h"

namespace {
// A plan's non-default parts; status lines "[text]" when written, "~" when left alone.
QString describe(const ReportPlan &p) {
    const QString keys = "None Key61ES SpeakersAOff SpeakersAOn SpeakersBOff SpeakersBOn Rs232Test",
                  actions = "None Es61Off Es61On MuteOff MuteOn Zone2MuteOff Zone2MuteOn Dsp "
                            "InputMode Lines HeadphoneOff HeadphoneOn PowerOn";
    QStringList parts;
    const auto lines = [&parts](const char *name, const StatusLines &l) {
        const auto one = [](const std::optional<QString> &t) { return t ? "[" + *t + "]" : "~"; };
        if (l.line1 || l.line2) parts << name + one(l.line1) + one(l.line2);
    };
    if (p.volume) parts << "volume";
    if (p.key != ReportKey::None) parts << "key " + keys.section(' ', int(p.key), int(p.key));
    lines("keyLines ", p.keyLines);
    if (p.input) parts << QString("input %1%2").arg(*p.input).arg(p.inputZone2 ? " zone2" : "");
    if (p.action != ReportAction::None)
        parts << "action " + actions.section(' ', int(p.action), int(p.action));
    if (p.index != 0) parts << QString("index %1").arg(p.index);
    lines("lines ", p.lines);
    if (p.sixChannel != SixChannel::None)
        parts << (p.sixChannel == SixChannel::On ? "6ch On" : "6ch Off");
    lines("6chLines ", p.sixChannelLines);
    return parts.join("; ");
}

QString code(quint16 value) {
    return QStringLiteral("0%1").arg(value, 4, 16).toUpper();
}

// What the simulated receiver, switched on and reporting, reports for a code.
QString reportFor(const QString &code, Sim::Source source = Sim::Source::Rs232) {
    Sim::ReceiverModel m;
    m.execute(u"20000");
    return m.execute(code, source).texts().join(QLatin1Char(' '));
}
} // namespace

class TestStateReports : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputsAgreeWithTheReceiver_data() {
        QTest::addColumn<int>("input");
        for (int i = 0; i < int(std::size(Sim::kInputs)); ++i)
            QTest::addRow("%s", Sim::kInputs[i].name) << i;
    }
    void inputsAgreeWithTheReceiver() {
        QFETCH(int, input);
        const Sim::InputEntry &e = Sim::kInputs[input];
        const InputButton *b = nullptr;
        for (const InputButton &candidate : kInputButtons)
            if (nameKey(QLatin1String(candidate.caption)) == nameKey(QLatin1String(e.name)))
                b = &candidate;
        QVERIFY(b);
        QCOMPARE(QString(commandEntry(b->mainZone).code) + commandEntry(b->zone2).code,
                 code(e.mainCode) + code(e.zone2Code));
        // The receiver's reports select the button; CD-R, which it reports as "D", none.
        const QString shown = e.digit == 0xD ? QString() : QString("input %1").arg(b->index);
        QCOMPARE(describe(planReport(reportFor(code(e.mainCode)), false)),
                 shown.isEmpty() ? "6ch Off" : shown + "; 6ch Off");
        const QString zone2Report = reportFor(code(e.zone2Code));
        QCOMPARE(describe(planReport(zone2Report, true)), shown.isEmpty() ? "" : shown + " zone2");
        // While the window works on the main zone, zone 2's input moves nothing.
        QVERIFY(!planReport(zone2Report, false).input);
    }
    void dspProgramsAgreeWithTheReceiver_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 32; ++i)
            QTest::addRow("%s", Sim::kDspPrograms[i].name) << i;
    }
    void dspProgramsAgreeWithTheReceiver() {
        QFETCH(int, index);
        const Sim::DspEntry &e = Sim::kDspPrograms[index];
        const DspProgram *p = dspProgram(index);
        QVERIFY(p && int(p->value) == e.data);
        QCOMPARE(QLatin1String(p->caption), QLatin1String(e.name));
        QCOMPARE(dspIndexForValue(e.data), std::optional<qint16>(index));
        const QString op = code(Sim::kDspFirstCode + index);
        QCOMPARE(dspOperationCode(index), op);
        for (const auto source : {Sim::Source::Rs232, Sim::Source::Remote, Sim::Source::Panel})
            QCOMPARE(describe(planReport(reportFor(op, source), false)),
                     index ? QString("action Dsp; index %1").arg(index) : "action Dsp");
        // Status line 1 shows the label the button stands under, but for 8 Ch Stereo.
        for (const DspGroup &g : kDspGroups)
            if (index >= g.first && index <= g.last)
                QCOMPARE(QLatin1String(p->lineText),
                         index == 31 ? QString() : QString::fromLatin1(g.caption).toUpper());
    }
    void inputModesAndOnOffGroupsAgreeWithTheReceiver() {
        for (int mode = 0; mode < int(std::size(Sim::kInputModes)); ++mode) {
            const ReportPlan plan = planReport(reportFor(code(0x7EA6 + mode)), false);
            const InputModeButton *b = inputModeButton(plan.index);
            QVERIFY(plan.action == ReportAction::InputMode && b);
            QCOMPARE(QLatin1String(b->caption), QLatin1String(Sim::kInputModes[mode]));
            QCOMPARE(QLatin1String(commandEntry(b->command).code), code(0x7EA6 + mode));
        }
        // Button 1 of a two-button group switches on, button 0 off.
        for (const OnOffGroup &g : {kSpeakersA, kSpeakersB, kEs61, kSixChannelInput}) {
            for (const int button : {0, 1}) {
                Sim::ReceiverModel m;
                const QString note =
                    m.execute(QString::fromLatin1(commandEntry(*onOffCommand(g, button)).code))
                        .notes.join("");
                QVERIFY2(note.endsWith(button ? " on" : " off"), qPrintable(note));
            }
            QVERIFY(!onOffCommand(g, 2) && !onOffCommand(g, -1));
        }
        // Outside the tables; the receiver reports inputs in upper case.
        QVERIFY(!inputButton(15) && !inputModeButton(6) && !dspProgram(32));
        QVERIFY(!inputIndexForReportCharacter(u'a') && !inputIndexForReportCharacter(u'D'));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, dspOperationCode(32));
    }
    void plans_data() {
        columns<QString, bool, QString>("text", "zone2Mode", "plan");
        const std::tuple<const char *, bool, const char *> rows[] = {
            {"00267B", false, "volume"},
            {"X0267B", false, "volume"}, // the first prefix character is ignored
            {"XY2600", false, "volume"}, // main volume 00 with any prefix
            {"01267B", false, ""},       // a second prefix character 1
            {"102D00", false, "key Key61ES; action Es61Off"},
            {"102D01", false, "action Es61On; index 1"},
            {"2F000", false, "key Rs232Test; keyLines [RS232 TEST][]"},
            {"002300", false, "action MuteOff; lines [MUTE OFF][]"},
            {"002201", false, "action InputMode; index 4; lines ~[D.D. RF]"},
            {"000100", false, "action Lines; lines [Warning][Over Current]"},
            {"003400", false, "action HeadphoneOff; lines [Head Phone][OFF]"},
            {"002C01", false, "action Lines; lines [SLEEP 90min.][]"},
            {"002001", false, "action PowerOn; lines [POWER ON][]"},
            {"002803", false, ""}, // DSP data outside the table
            // 6-channel input, read from the command and the first data digit.
            {"00210F", false, "6ch Off"},
            {"002110", false, "6ch On; 6chLines [][6CH INPUT]"},
            {"102105", true, "input 8; 6ch Off"}, // the main input, whatever the mode
            {"102115", false, "input 8; 6ch On; 6chLines [][6CH INPUT]"},
            {"1021", false, "input 12"}, // four characters: the last one names the input
            {"00240C", true, ""},        // the zone-2 head needs its prefix
        };
        for (const auto &[text, zone2Mode, plan] : rows)
            QTest::addRow("%s%s", text, zone2Mode ? " in zone-2 mode" : "")
                << QString::fromLatin1(text) << zone2Mode << QString(plan);
        row("noise", QString::fromUtf8("\x01\xc3\xa4\x7f\x02"), true, "");
        row("long text", QString(5000, QLatin1Char('2')), true, "");
    }
    void plans() {
        FETCH((QString, bool, QString), text, zone2Mode, plan);
        QCOMPARE(describe(planReport(text, zone2Mode)), plan);
    }
};

QTEST_GUILESS_MAIN(TestStateReports)
#include "tst_state_reports.moc"
