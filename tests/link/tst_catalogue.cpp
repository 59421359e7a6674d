// The command catalogue, the display text packets and the configuration-answer helpers.
#include "errors/RuntimeError.h"
#include "link/CommandCatalogue.h"
#include "link/KnownModels.h"

#include <QRegularExpression>
#include <QTest>

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCodeIsWellFormed_data();
    void everyCodeIsWellFormed();
    void namedCommands_data();
    void namedCommands();
    void volumeMemories_data();
    void volumeMemories();
    void displayMessage_data();
    void displayMessage();
    void reportTimeCommands();
    void modelNames_data();
    void modelNames();
    void normalise_data();
    void normalise();
};

void TestCatalogue::everyCodeIsWellFormed_data() {
    QTest::addColumn<QString>("code");
    for (const CommandEntry &e : kCommandCatalogue)
        QTest::addRow("%s", e.name) << QString::fromLatin1(e.code);
}

void TestCatalogue::everyCodeIsWellFormed() {
    QFETCH(QString, code);
    static const QRegularExpression shape(QStringLiteral("^[02][0-9A-F]{4}$"));
    QVERIFY2(shape.match(code).hasMatch(), qPrintable(code));
}

void TestCatalogue::namedCommands_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("shape");
    const int S = int(CommandShape::S), R = int(CommandShape::R), A = int(CommandShape::A),
              P = int(CommandShape::P);
    // A sample across the groups, including the twins that share a code.
    QTest::addRow("report enable") << "ReportCommandEnable"
                                   << "20000" << S;
    QTest::addRow("report 350 ms") << "ReportCommandTime350ms"
                                   << "20107" << S;
    QTest::addRow("DVD") << "InputDvd"
                         << "07AC1" << R;
    QTest::addRow("CD-R") << "InputCDR"
                          << "07A19" << R;
    QTest::addRow("zone 2 phono") << "Zone2InputPhono"
                                  << "07AD0" << R;
    QTest::addRow("volume up") << "MasterVolUp"
                               << "07A1A" << A;
    QTest::addRow("volume up fast") << "MasterVolUpFast"
                                    << "07A1A" << S;
    QTest::addRow("zone 2 down") << "Zone2VolDown"
                                 << "07ADB" << A;
    QTest::addRow("power on") << "PowerOn"
                              << "07A1D" << P;
    QTest::addRow("power off") << "PowerOff"
                               << "07A1E" << R;
    QTest::addRow("effect off") << "DspEffectOff"
                                << "07EE0" << R;
    QTest::addRow("6.1/ES off") << "Dsp61ESOff"
                                << "07EB9" << R;
}

void TestCatalogue::namedCommands() {
    QFETCH(QString, name);
    QFETCH(QString, code);
    QFETCH(int, shape);
    const auto entry = commandByName(name);
    QVERIFY(entry);
    QCOMPARE(QString::fromLatin1(entry->code), code);
    QCOMPARE(int(entry->shape), shape);
    QCOMPARE(commandEntry(entry->id).name, entry->name);
}

void TestCatalogue::volumeMemories_data() {
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("load");
    QTest::addRow("A") << "A"
                       << "07E6B"
                       << "07E75";
    QTest::addRow("c lower case") << "c"
                                  << "07E6D"
                                  << "07E77";
    QTest::addRow("F") << "F"
                       << "07E70"
                       << "07E7A";
    QTest::addRow("G") << "G"
                       << ""
                       << "";
    QTest::addRow("empty") << ""
                           << ""
                           << "";
    QTest::addRow("two letters") << "AB"
                                 << ""
                                 << "";
}

void TestCatalogue::volumeMemories() {
    QFETCH(QString, bank);
    QFETCH(QString, save);
    QFETCH(QString, load);
    const auto memory = volumeMemory(bank);
    QCOMPARE(memory.has_value(), !save.isEmpty());
    if (memory) {
        QCOMPARE(QString::fromLatin1(memory->save), save);
        QCOMPARE(QString::fromLatin1(memory->load), load);
    }
}

void TestCatalogue::displayMessage_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("codes");
    QTest::addRow("Hello") << "Hello" << QStringList{"21000", "3Hell", "3o   ", "3    ", "3    "};
    QTest::addRow("sixteen") << "Hello01234567890"
                             << QStringList{"21000", "3Hell", "3o012", "33456", "37890"};
    QTest::addRow("longer is cut")
        << "ABCDEFGHIJKLMNOPQRST" << QStringList{"21000", "3ABCD", "3EFGH", "3IJKL", "3MNOP"};
    QTest::addRow("empty") << "" << QStringList{"21000", "3    ", "3    ", "3    ", "3    "};
}

void TestCatalogue::displayMessage() {
    QFETCH(QString, message);
    QFETCH(QStringList, codes);
    QCOMPARE(displayMessageCodes(message), codes);
}

void TestCatalogue::reportTimeCommands() {
    QCOMPARE(QString::fromLatin1(commandEntry(reportTimeCommand(0)).code), QStringLiteral("20100"));
    QCOMPARE(QString::fromLatin1(commandEntry(reportTimeCommand(7)).code), QStringLiteral("20107"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, reportTimeCommand(8));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, reportTimeCommand(-1));
}

void TestCatalogue::modelNames_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addRow("DSP-AX1") << "R0073"
                             << "DSP-AX1";
    QTest::addRow("RX-V1000") << "R0088"
                              << "RX-V1000";
    QTest::addRow("RX-V2400") << "R0161"
                              << "RX-V2400";
    QTest::addRow("DSP-AZ9") << "A0037"
                             << "DSP-AZ9";
    QTest::addRow("unknown") << "R9999"
                             << "?";
    QTest::addRow("lower case is another ID") << "r0073"
                                              << "?";
    QTest::addRow("empty") << ""
                           << "?";
}

void TestCatalogue::modelNames() {
    QFETCH(QString, id);
    QFETCH(QString, name);
    QCOMPARE(modelName(id), name);
}

void TestCatalogue::normalise_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("normalised");
    const QString dc2(QChar(0x12)), etx(QChar(0x03));
    QTest::addRow("plain block unchanged")
        << dc2 + "R0088A0500123" + "4F" + etx << dc2 + "R0088A0500123" + "4F" + etx;
    QTest::addRow("length 2A becomes 23")
        << dc2 + "R0161B2A@E01900" + "0115" + "C3" + etx << dc2 + "R0161B23" + "0115" + "C3" + etx;
    QTest::addRow("standby: length 0A becomes one digit")
        << dc2 + "R0132B0A@E01900000" + "77" + etx << dc2 + "R0132B3000" + "77" + etx;
    QTest::addRow("prefix elsewhere is data")
        << dc2 + "R0088A0A0@E01900" + etx << dc2 + "R0088A0A0@E01900" + etx;
    QTest::addRow("short text") << "AB"
                                << "AB";
}

void TestCatalogue::normalise() {
    QFETCH(QString, answer);
    QFETCH(QString, normalised);
    QCOMPARE(normaliseConfigurationAnswer(answer), normalised);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
