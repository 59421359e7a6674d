// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated receiver without a line: configuration answers, reports, volume, standby, reset.
#include "sim/ConfigurationAnswer.h"
#include "sim/LineDecoder.h"
#include "sim/ReceiverModel.h"
#include "support/DataRows.h"
#include "support/WireBytes.h"

using namespace Sim;

namespace {
// A command code, or one of "es", "headphones:in|out", "warning:n" and "test:n".
Response act(ReceiverModel &m, const QString &step, Source source = Source::Rs232) {
    const QString verb = step.section(QLatin1Char(':'), 0, 0);
    const QString word = step.section(QLatin1Char(':'), 1);
    return verb == "es"           ? m.pressRemoteEsKey()
           : verb == "headphones" ? m.setHeadphones(word == "in")
           : verb == "warning"    ? m.raiseWarning(word.toInt())
           : verb == "test"       ? m.sendTestMessage(word.toInt())
                                  : m.execute(step, source);
}

// Runs the steps, separated by blanks, and returns the reports of the last one.
QString run(ReceiverModel &m, const QString &steps, Source source = Source::Rs232) {
    QString reports;
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        reports = act(m, step, source).texts().join(QLatin1Char(' '));
    return reports;
}
} // namespace

class TestReceiverModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void configurationAnswer() {
        const std::tuple<const char *, bool, const char *, const char *> rows[] = {
            {"R0073", true, "", "<DC2>R0073C020021<ETX>"},
            {"R0112", true, "", "<DC2>R0112A0A@E01900000D7<ETX>"},
            {"R0112", false, "", "<DC2>R0112A2A@E019000150001077462C1000000010000000000000F<ETX>"},
            // 6-channel input (hides the mode), mutes, zone 2 TUNER, effect off, 6.1/ES, B, steps.
            {"R0088", false, "07EA4 07EA2 07AD2 07EA0 07EE0 07EB8 07EAD 07A1A 07ADA",
             "<DC2>R0088B230151512178472C0100000011000000000009B<ETX>"},
            // CD-R, Digital, 8 Ch Stereo (reported as 17), no speakers A, headphones.
            {"A0037", false, "07A19 07EA9 07EFF 07EAC headphones:in",
             "<DC2>A0037A2301D030107746171000000000000001000007C<ETX>"},
        };
        for (const auto &[model, standby, steps, answer] : rows) {
            ReceiverModel m(QLatin1String(model), standby);
            run(m, QLatin1String(steps));
            QCOMPARE(m.configurationAnswer(), wire(answer));
        }
    }
    void commands_data() {
        // From a receiver reporting as the program leaves it, on or in standby; the reports of the
        // last step.
        columns<bool, int, QString, QString>("standby", "source", "steps", "reports");
        const int rs232 = int(Source::Rs232), remote = int(Source::Remote),
                  panel = int(Source::Panel);
        row("lower-case code", false, rs232, "07ac9", "102104");
        row("power off", false, rs232, "07A1E", "002000");
        row("not hexadecimal", false, rs232, "07AG1", "");
        row("mute from the panel", false, panel, "07EA2", "202301"); // the first character says who
        row("input, reports off", false, rs232, "20001 07A15", "");
        // In standby only the power commands act.
        row("power on wakes with input and volume", true, rs232, "07A1D", "002001 102105 002677");
        row("input ignored", true, rs232, "07AC1", "");
        row("volume step not answered", true, rs232, "07A1A", "");
        // What only the remote control or the receiver itself brings about.
        row("6.1/ES key", false, remote, "07EB8 es", "102D00");
        row("6.1/ES key, reports off", false, remote, "20001 es", "");
        row("warning over heat", false, panel, "warning:3", "200103");
        row("test message, reports off", false, rs232, "20001 test:2", "2F002");
    }
    void commands() {
        FETCH((bool, int, QString, QString), standby, source, steps, reports);
        ReceiverModel m(QStringLiteral("R0073"), standby);
        m.execute(u"20000");
        const ReceiverState before = m.state();
        QCOMPARE(run(m, steps, Source(source)), reports);
        if (standby && !m.state().power) QCOMPARE(m.state(), before);
    }
    void volumeSteps() {
        const std::tuple<int, const char *, const char *> rows[] = {
            {0x77, "07A1A", "002678"}, {0x77, "07A1B", "002676"}, {0xC6, "07A1A", "0026C7"},
            {0x27, "07A1B", "002627"}, {0xE8, "07A1A", "0026E8"}, // bottom and top
            {0x46, "07ADA", "002747"}, {0x46, "07ADB", "002745"}, {0x28, "07ADB", "002728"},
            {0x5A, "07ADA", "00275A"},
        };
        for (const auto &[level, code, answer] : rows) {
            for (const bool reports : {false, true}) {
                ReceiverModel m;
                ReceiverState s;
                const bool main = QByteArray(code).startsWith("07A1");
                (main ? s.mainVolume : s.zone2Volume) = level;
                s.reportsEnabled = reports;
                m.setState(s);
                // The answer comes once, with reports on or off.
                QCOMPARE(m.execute(QString::fromLatin1(code)).texts(), QStringList{answer});
                QCOMPARE(main ? m.state().mainVolume : m.state().zone2Volume,
                         QByteArray(answer + 4).toInt(nullptr, 16));
            }
        }
    }
    void lineDecoder() {
        // Reads split at "|"; frames as kind (C command, Q request, R reset) and body.
        const char *rows[][2] = {
            {"<DC3><DEL><DEL><DEL><ETX><DC1>000<ETX>", "R\x7F\x7F\x7F Q000"},
            {"<STX>07|A1|D<ETX>", "C07A1D"},
            {"<STX>07A<DC1>000<ETX>", "Q000"}, // a cut frame is forgotten at the next start
            {"<STX>AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA<ETX><STX>07A1D<ETX>",
             "C07A1D"}, // overlong
        };
        for (const auto &[reads, frames] : rows) {
            LineDecoder decoder;
            QStringList got;
            for (const QByteArray &chunk : wire(reads).split('|'))
                for (const LineFrame &f : decoder.feed(chunk))
                    got << QLatin1Char("CQR"[int(f.kind)]) + QString::fromLatin1(f.body);
            QCOMPARE(got.join(' '), QLatin1String(frames));
        }
    }
    void reset() {
        for (const bool startInStandby : {false, true}) {
            ReceiverModel m(QStringLiteral("R0132"), startInStandby);
            const ReceiverState start = m.state();
            const QByteArray startAnswer = m.configurationAnswer();
            run(m, "20000 20103 07A1D 07A13 07EA2 07A1A 07E6B 07EFF 21000 3abcd");
            const Response r = m.reset();
            QCOMPARE(m.state(), start);
            QCOMPARE(r.frames, QList<QByteArray>{startAnswer});
            // A display message begun before the reset is forgotten.
            run(m, "3defg 3hijk 3lmno");
            QCOMPARE(m.displayText(), QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestReceiverModel)
#include "tst_receivermodel.moc"
