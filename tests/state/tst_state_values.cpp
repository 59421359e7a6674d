// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration block against the simulator's blocks, the standby test, volume arithmetic.
#include "base/RuntimeError.h"
#include "link/KnownModels.h"
#include "sim/ReceiverModel.h"
#include "state/ConfigurationBlock.h"
#include "state/PanelTables.h"
#include "state/VolumeLevel.h"
#include "support/DataRows.h"
#include "support/Fixtures.h"
#include "support/WireBytes.h"

#include <QLocale>
#include <climits>
#include <limits>

namespace {
// On/off fields as digits: 6-channel input, 6.1/ES, speakers A, speakers B, headphones.
template <typename... Flags>
QString flags(Flags... on) {
    return (QString::number(int(on)) + ...);
}

// A decoded block in the words of the panel's captions.
QString describe(const std::optional<PanelState> &s) {
    if (!s) return "rejected";
    const InputModeButton *mode = s->inputMode ? inputModeButton(*s->inputMode) : nullptr;
    const DspProgram *dsp = s->dsp ? dspProgram(*s->dsp) : nullptr;
    return QString("%1, %2%3, %4, ")
               .arg(QLatin1String(inputButton(s->input) ? inputButton(s->input)->caption : "-"),
                    QLatin1String(mode ? mode->caption : "-"),
                    QLatin1String(s->inputModeEnabled ? "" : " disabled"),
                    QLatin1String(dsp ? dsp->caption : "-")) +
           flags(s->sixChannel, s->es61, s->speakersA, s->speakersB, s->headphones);
}

// The same for the simulated receiver's state, in the words of its own tables.
QString describe(const Sim::ReceiverState &s, bool zone2Mode) {
    return QString("%1, %2, %3, ")
               .arg(QLatin1String(Sim::inputByDigit(zone2Mode ? s.zone2Input : s.mainInput)->name),
                    QLatin1String(s.sixChannel ? "Auto disabled" : Sim::kInputModes[s.inputMode]),
                    QLatin1String(Sim::kDspPrograms[s.dspEffect ? s.dspProgram : 0].name)) +
           flags(s.sixChannel, s.es61, s.speakersA, s.speakersB, s.headphones);
}

// Hand-written blocks: on, DVD, zone 2 TUNER, Auto, Hall A on, speakers A on; "0" elsewhere.
QString block(std::initializer_list<std::pair<int, const char *>> changes = {},
              const char *length = "20", int size = 32) {
    QString d(size, QLatin1Char('0'));
    for (const auto &[position, text] :
         {std::pair{1, "1"}, {3, "5"}, {7, "2"}, {15, "1"}, {23, "1"}})
        if (position <= size) d[position - 1] = QLatin1Char(*text);
    for (const auto &[position, text] : changes)
        d.replace(position - 1, int(qstrlen(text)), QLatin1String(text));
    return QChar(0x12) + QStringLiteral("R0088A") + QLatin1String(length) + d + QChar(0x03);
}
} // namespace

class TestStateValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void configuration_data() {
        columns<QString, bool, QString>("block", "zone2Mode", "state");
        // What the simulated receiver writes, plain and with its prefix, reads as its own state.
        const auto add = [](const QByteArray &tag, const Sim::ReceiverState &state) {
            for (const char *model : {"R0073", "R0161"}) {
                Sim::ReceiverModel receiver{QLatin1String(model)};
                receiver.setState(state);
                const QString kept = normaliseConfigurationAnswer(
                    QString::fromLatin1(receiver.configurationAnswer()));
                for (const bool zone2Mode : {false, true})
                    QTest::addRow("%s, %s%s", tag.constData(), model, zone2Mode ? ", zone 2" : "")
                        << kept << zone2Mode << describe(state, zone2Mode);
            }
        };
        Sim::ReceiverState s;
        for (const Sim::InputEntry &e : Sim::kInputs) {
            s.mainInput = e.digit;
            s.zone2Input = (e.digit + 1) % 13; // the zones differ, so reading the wrong one shows
            if (e.digit != 0xD) add(QByteArray("input ") + e.name, s); // CD-R reads as none
        }
        for (s = {}; s.inputMode < int(std::size(Sim::kInputModes)); ++s.inputMode)
            add(QByteArray("mode ") + Sim::kInputModes[s.inputMode], s);
        for (s = {}, s.dspProgram = 1; s.dspProgram < 32; ++s.dspProgram)
            add(Sim::kDspPrograms[s.dspProgram].name, s);
        s = {};
        s.dspEffect = s.speakersA = false;
        s.es61 = s.speakersB = s.headphones = true;
        add("effect off, ES, B, headphones", s);
        s = {};
        s.sixChannel = true;
        add("6-channel input", s);
        row("mode digit 6: no mode", block({{5, "6"}}), false, "DVD, -, Hall A, 00100");
        row("input digit G reads as 0", block({{3, "G"}}), false, "PHONO, Auto, Hall A, 00100");
        row("program 80 sets none", block({{13, "80"}}), false, "DVD, Auto, -, 00100");
        row("program in lower case", block({{13, "0a"}}), false, "DVD, Auto, Royaumont, 00100");
        row("L 10 cuts the fields after 16", block({{16, "1"}, {24, "1"}, {30, "1"}}, "10"), false,
            "DVD, Auto, Hall A, 01000");
        row("L larger than the block: ETX inside", block({}, "20", 14), false,
            "DVD, Auto, Hall A, 00000");
        row("no DC2", "X" + block().mid(1), false, "rejected");
        row("no ETX", block().chopped(1) + "X", false, "rejected");
        row("ETX followed by more", block() + QChar(0x03) + "0", false, "rejected");
        row("L 02", block({}, "02"), false, "rejected");
        row("cut in the length field", wireText("<DC2>R0088A0<ETX>"), false, "rejected");
    }
    void configuration() {
        FETCH((QString, bool, QString), block, zone2Mode, state);
        QCOMPARE(describe(decodeConfiguration(block, zone2Mode)), state);
    }
    void standby() {
        const auto action = [](const QString &block) -> QString {
            try {
                return QStringList{"none", "on", "off"}.at(int(standbyAction(block)));
            } catch (const RuntimeError &e) {
                return QString("error %1").arg(e.number());
            }
        };
        // The block of every receiver: in standby the button switches it on, else off.
        for (const Sim::ModelEntry &model : Sim::kModels)
            for (const bool standby : {true, false})
                QCOMPARE(action(normaliseConfigurationAnswer(QString::fromLatin1(
                             Sim::ReceiverModel(QLatin1String(model.id), standby)
                                 .configurationAnswer()))),
                         standby ? "on" : "off");
        const char *rows[][2] = {
            {"<DC2>R0088A03000<ETX>", "on"},       {"<DC2>R0088A0500000<ETX>", "off"}, // 13 and 15
            {"<DC2>R0088A03100<ETX>", "none"},     {"XR0088A03000<ETX>", "none"},
            {"<DC2>R0088A03000X", "none"},         {"", "none"},
            {"<DC2>R0088A03X00<ETX>", "error 13"}, {"<DC2>R0088A0<ETX>", "error 13"},
        };
        for (const auto &[block, expected] : rows)
            QCOMPARE(action(wireText(block)), QLatin1String(expected));
        QCOMPARE(action(block()), "none"); // flag 1
    }
    void volumeOfEveryReceiverLevel() {
        // The simulated receiver's own reading of its data, e.g. "-40.5 dB".
        const auto dB = [](const QString &text) { return text.section(' ', 0, 0).toDouble(); };
        const auto report = [](const char *head, int v) {
            return decodeVolumeReport(QString::fromLatin1(Sim::frame(head + Sim::hex2(v))));
        };
        for (int v = 0; v < 256; ++v) {
            const auto main = report("0026", v), zone2 = report("0027", v);
            QVERIFY(main && zone2 && main->zone == VolumeZone::Main &&
                    zone2->zone == VolumeZone::Zone2);
            QCOMPARE(main->value, v);
            QCOMPARE(main->dB, dB(Sim::mainVolumeText(v)));
            QCOMPARE(zone2->dB, dB(Sim::zone2VolumeText(v)));
            QCOMPARE(levelValue(main->level), main->dB);
        }
    }
    void volumeTextsAndBars() {
        // Status line 1 and the blocks of the bar on line 2 for a report; none for a refused one.
        const char *reports[][3] = {
            {"<STX>0026D6<ETX>", "VOLUME 7.5.0dB", "22"},
            {"<STX>0026c7<ETX><STX>002301<ETX>", "VOLUME 0dB", "20"},
            {"<STX>112600<ETX>", "VOLUME -99.5dB", "0"},
            {"<STX>0027FF<ETX>", "ZONE2 VOL. 175.0dB", "55"},
            {"<STX>002301<ETX>", "", ""},
            {"0026C7<ETX>", "", ""}, // without STX the positions shift
            {"<STX>0026G1<ETX>", "", ""},
        };
        for (const auto &[frame, line1, blocks] : reports) {
            const auto r = decodeVolumeReport(wireText(frame));
            QCOMPARE(r ? r->line1 : QString(), QLatin1String(line1));
            if (r) QCOMPARE(r->line2, volumeBar(QByteArray(blocks).toInt()));
        }
        QCOMPARE(volumeBar(-3), QStringLiteral("--------------------"));
        QCOMPARE(volumeBar(12), QString(12, kVolumeBarBlock) + "--------");
        // Found by the fuzzer: a level far out of range asked for a bar of two billion blocks.
        QCOMPARE(volumeBar(INT_MAX), QString(kVolumeBarLongest, kVolumeBarBlock));
        QCOMPARE(miniBarWidth(105, 100), 50.0);
        QCOMPARE(miniBarWidth(255, 210), 255.0);
    }
    void levelTextsAndBarLengths() {
        // Three characters get ".0", whether they hold a point or not.
        const std::pair<double, const char *> texts[] = {
            {-40.0, "-40.0"}, {-5.0, "-5"},   {0.0, "0"},     {-0.0, "0"},
            {-0.5, "-0.5"},   {9.5, "9.5.0"}, {10.5, "10.5"}, {100.0, "100.0"},
        };
        // 20 + dB / 5, halves to the even neighbour.
        const std::pair<const char *, int> bars[] = {
            {"0", 20},   {"-40.5", 12}, {"-99.5", 0},  {"28", 26},    {"-2.5", 20},  {"2.5", 20},
            {"7.5", 22}, {"-7.5", 18},  {"-37.5", 12}, {"-42.5", 12}, {"9.5.0", 22}, {"abc", 20},
        };
        const QLocale before;
        for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(locale); // the user's locale changes nothing
            for (const auto &[dB, text] : texts)
                QCOMPARE(levelText(dB), QLatin1String(text));
            for (const auto &[level, n] : bars)
                QVERIFY2(barLength(QLatin1String(level)) == n, level);
        }
        QLocale::setDefault(before);
        // Found by the fuzzer: levels beyond what the bar can count.
        QCOMPARE(barLength(QStringLiteral("-024127002412")), std::numeric_limits<int>::min() + 1);
        QCOMPARE(barLength(QStringLiteral("99999999999999999999")),
                 std::numeric_limits<int>::max() - 1);
    }
};

QTEST_GUILESS_MAIN(TestStateValues)
#include "tst_state_values.moc"
