// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue, volume memories and models against the simulator's tables; the answer's prefix.
#include "link/KnownModels.h"
#include "support/Fixtures.h"
#include "support/SimulatedReceiver.h"
#include "support/WireBytes.h"

#include <QTest>

namespace {
// What the receiver did with a code: its first note, or a volume step's direction.
QString receiverSays(const QStringList &notes, const Sim::ReceiverState &before,
                     const Sim::ReceiverState &after) {
    QString said = notes.value(0);
    if (after.mainVolume != before.mainVolume)
        said = after.mainVolume > before.mainVolume ? "main volume up" : "main volume down";
    if (after.zone2Volume != before.zone2Volume)
        said = after.zone2Volume > before.zone2Volume ? "zone 2 volume up" : "zone 2 volume down";
    return nameKey(said.remove(QStringLiteral(" min")));
}

// The same in the words of a command's name ("part of a name=the simulator's words", in order).
QString nameSays(QString name) {
    static const QStringList words =
        QStringLiteral("ReportCommandEnable=reports on|ReportCommandDisable=reports off|"
                       "ReportCommandTimeRealTime=report interval 0 ms|"
                       "ReportCommandTime=report interval |SleepTimer=sleep |"
                       "Input6Ch=6-channel input |MasterVolMute=mute |MasterVol=main volume |"
                       "Zone2VolMute=zone 2 mute |Zone2Vol=zone 2 volume |Fast=|PowerOff=standby|"
                       "DspSurround=DSP |Dsp61ES=6.1/ES |Dsp=DSP ")
            .split(QLatin1Char('|'));
    for (const QString &w : words)
        name.replace(w.section(QLatin1Char('='), 0, 0), w.section(QLatin1Char('='), 1));
    return nameKey(name);
}
} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCommandDoesWhatTheReceiverDoes_data() {
        QTest::addColumn<int>("row");
        for (const CommandEntry &e : kCommandCatalogue)
            QTest::addRow("%s", e.name) << int(e.id);
    }
    void everyCommandDoesWhatTheReceiverDoes() {
        QFETCH(int, row);
        const CommandEntry &e = kCommandCatalogue[std::size_t(row)];
        QCOMPARE(commandByName(QLatin1String(e.name))->id, e.id);
        QStringList notes; // what the receiver did, without the traffic
        SimulatedReceiver receiver;
        TestEnvironment env; // goes first: the program lets go of the line before the receiver
        connect(&receiver, &Sim::ReceiverSimulator::activity, [&](const QString &line) {
            if (!line.startsWith(QLatin1String("<-- ")) && !line.startsWith(QLatin1String("--> ")))
                notes << line;
        });
        Form_Com::instance().Com->setPortOpen(true);
        const Sim::ReceiverState before = receiver.model().state();
        QByteArray sent;
        Form_Com::instance().runCommand(e.id, nullptr);
        QTRY_VERIFY((sent += receiver.takeReceived()).startsWith(commandFrame(e.code)));
        QTRY_VERIFY(!notes.isEmpty());
        QCOMPARE(receiverSays(notes, before, receiver.model().state()),
                 nameSays(QLatin1String(e.name)));
    }
    void volumeMemories() {
        for (int bank = 0; bank < 6; ++bank) {
            const auto codes = volumeMemory(QString(QChar(u'a' + bank))); // lower case finds it too
            QVERIFY(codes);
            Sim::ReceiverModel m;
            Sim::ReceiverState s;
            s.memories = {0x61, 0x62, 0x63, 0x64, 0x65, 0x66};
            m.setState(s);
            m.execute(QString::fromLatin1(codes->load));
            QCOMPARE(m.state().mainVolume, 0x61 + bank);
            m.execute(u"07A1A");
            m.execute(QString::fromLatin1(codes->save));
            QCOMPARE(m.state().memories[bank], 0x62 + bank);
        }
        QVERIFY(!volumeMemory(QStringLiteral("AB")) && !volumeMemory(QString()));
    }
    void modelNames() {
        QCOMPARE(kKnownModels.size(), std::size(Sim::kModels));
        for (const Sim::ModelEntry &m : Sim::kModels)
            QCOMPARE(modelName(QLatin1String(m.id)), Sim::modelName(QString::fromLatin1(m.id)));
        for (const char *unknown : {"R9999", "r0073", ""})
            QCOMPARE(modelName(QLatin1String(unknown)), QStringLiteral("?"));
    }
    void normalise() {
        const char *rows[][2] = {
            {"<DC2>R0161B2A@E019000115C3<ETX>", "<DC2>R0161B230115C3<ETX>"},
            {"<DC2>R0132B0A@E0190000077<ETX>", "<DC2>R0132B300077<ETX>"}, // standby: one digit
            {"<DC2>R0088A05001234F<ETX>", "<DC2>R0088A05001234F<ETX>"},   // no prefix
            {"<DC2>R0088A0A0@E01900<ETX>", "<DC2>R0088A0A0@E01900<ETX>"}, // elsewhere it is data
            {"AB", "AB"},
        };
        for (const auto &[answer, normalised] : rows)
            QCOMPARE(normaliseConfigurationAnswer(wireText(answer)), wireText(normalised));
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
