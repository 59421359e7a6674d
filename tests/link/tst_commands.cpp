// The named commands on a real line: frames, answer waits, volume memories, display text and
// power-on.
#include "app/Form_Velmora.h"
#include "link/Form_Com.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {
QByteArray frame(const char *code) {
    return QByteArray("\x02") + code + "\x03";
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void inputDvdOnTheLine();
    void volumeStepWaitsForItsAnswerButFastTwinDoesNot();
    void volumeMemoryBanks_data();
    void volumeMemoryBanks();
    void displayMessage_data();
    void displayMessage();
    void powerOnWithoutReceiver();
    void powerOnHandsNewConfigurationToMainWindow();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<PtyPair> line;
    Form_Com *com = nullptr;
};

void TestCommands::init() {
    env = std::make_unique<TestEnvironment>();
    line = std::make_unique<PtyPair>();
    line->assignToPort(1);
    Form_Velmora::instance();
    com = &Form_Com::instance();
    com->Com->setPortOpen(true);
}

void TestCommands::cleanup() {
    env.reset();
    line.reset();
}

void TestCommands::inputDvdOnTheLine() {
    com->InputDvd();
    QCOMPARE(line->read(), QByteArray::fromHex("02303741433103"));
}

void TestCommands::volumeStepWaitsForItsAnswerButFastTwinDoesNot() {
    QTimer::singleShot(100, [&] {
        line->write("\x02"
                    "0026C8\x03");
    });
    QString answer;
    com->MasterVolUp(answer);
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "0026C8\x03"));
    const QByteArray stepFrame = line->read();

    QTimer::singleShot(100, [&] {
        line->write("\x02"
                    "0026C9\x03");
    });
    QElapsedTimer clock;
    clock.start();
    com->MasterVolUpFast();
    QVERIFY(clock.elapsed() < 90); // no answer wait
    QCOMPARE(line->read(), stepFrame);
    QCOMPARE(stepFrame, frame("07A1A"));
    QTest::qWait(200);
    QString waiting;
    com->ClearComPuffer(waiting); // the fast twin left the answer unread
    QCOMPARE(waiting, QStringLiteral("\x02"
                                     "0026C9\x03"));
}

void TestCommands::volumeMemoryBanks_data() {
    QTest::addColumn<QString>("bank");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QByteArray>("wire");
    QTest::addRow("load c") << "c" << false << frame("07E77");
    QTest::addRow("save A") << "A" << true << frame("07E6B");
    QTest::addRow("load G sends nothing") << "G" << false << QByteArray();
    QTest::addRow("save x sends nothing") << "x" << true << QByteArray();
}

void TestCommands::volumeMemoryBanks() {
    QFETCH(QString, bank);
    QFETCH(bool, save);
    QFETCH(QByteArray, wire);
    QElapsedTimer clock;
    clock.start();
    QString answer = QStringLiteral("old");
    save ? com->VolumeSave(bank, answer) : com->VolumeLoad(bank, answer);
    // With or without a command, the answer is waited for.
    QVERIFY2(clock.elapsed() >= 790, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(answer, QString());
    QCOMPARE(line->read(200), wire);
}

void TestCommands::displayMessage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");
    QTest::addColumn<QByteArray>("wire");
    QTest::addRow("Hello") << "Hello"
                           << "Hello           "
                           << frame("21000") + frame("3Hell") + frame("3o   ") + frame("3    ") +
                                  frame("3    ");
    QTest::addRow("test text") << "Hello01234567890"
                               << "Hello01234567890"
                               << frame("21000") + frame("3Hell") + frame("3o012") +
                                      frame("33456") + frame("37890");
}

void TestCommands::displayMessage() {
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QFETCH(QByteArray, wire);
    com->SendMessage(text);
    QCOMPARE(text, padded); // the caller's text is padded too
    QCOMPARE(line->readAtLeast(wire.size()), wire);
}

void TestCommands::powerOnWithoutReceiver() {
    Form_Velmora::instance().stSettings = QStringLiteral("old block");
    QElapsedTimer clock;
    clock.start();
    com->PowerOn();
    const qint64 took = clock.elapsed();
    // Answer wait, one second's pause and the configuration wait.
    QVERIFY2(took >= 2550 && took < 4500, qPrintable(QString::number(took)));
    QCOMPARE(Form_Velmora::instance().stSettings, QString());
    QCOMPARE(line->read(), frame("07A1D") + QByteArray("\x11"
                                                       "000\x03"));
}

void TestCommands::powerOnHandsNewConfigurationToMainWindow() {
    const QByteArray block("\x12R0088A0200C2\x03");
    QTimer::singleShot(50, [&] {
        line->write("\x02"
                    "002001\x03");
    });
    QTimer::singleShot(1300, [&] { line->write(block); });
    QString answer;
    com->PowerOn(answer);
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "002001\x03"));
    QCOMPARE(Form_Velmora::instance().stSettings, QString::fromLatin1(block));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
