// SPDX-License-Identifier: GPL-3.0-or-later
// The named commands on a real line: answer waits, volume memories, display text and power-on.
#include "support/Fixtures.h"
#include "support/WireBytes.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<OpenLine>(); }
    void cleanup() { f.reset(); }

    void volumeStepWaitsForItsAnswerButFastTwinDoesNot() {
        QTimer::singleShot(100, [&] { f->line.write(wire("<STX>0026C8<ETX>")); });
        QString answer;
        f->com.MasterVolUp(answer);
        QCOMPARE(answer, wireText("<STX>0026C8<ETX>"));
        QCOMPARE(f->line.read(), wire("<STX>07A1A<ETX>"));
        QTimer::singleShot(100, [&] { f->line.write(wire("<STX>0026C9<ETX>")); });
        f->com.MasterVolUpFast(); // returns before the answer comes
        QCOMPARE(f->line.read(), wire("<STX>07A1A<ETX>"));
        QTest::qWait(200);
        QString waiting;
        f->com.ClearComPuffer(waiting); // the fast twin left the answer unread
        QCOMPARE(waiting, wireText("<STX>0026C9<ETX>"));
    }
    void volumeMemoryBanks() {
        // With or without a command (bank G), the answer is waited for.
        for (const auto &[bank, save, sent] : {std::tuple{"c", false, "<STX>07E77<ETX>"},
                                               {"A", true, "<STX>07E6B<ETX>"},
                                               {"G", false, ""}}) {
            QElapsedTimer clock;
            clock.start();
            QString answer = QStringLiteral("old");
            save ? f->com.VolumeSave(bank, answer) : f->com.VolumeLoad(bank, answer);
            QVERIFY2(clock.elapsed() >= 790 && answer.isEmpty(), bank);
            QCOMPARE(f->line.read(200), wire(sent));
        }
    }
    void displayMessageIsPaddedAndSentInFourPackets() {
        QString text = QStringLiteral("Hello");
        f->com.SendMessage(text);
        QCOMPARE(text, QStringLiteral("Hello           ")); // the caller's text is padded too
        QByteArray sent = commandFrame("21000");
        for (const char *packet : {"Hell", "o   ", "    ", "    "})
            sent += commandFrame(QByteArray("3") + packet);
        QCOMPARE(f->line.readAtLeast(sent.size()), sent);
    }
    void powerOn() {
        f->main.stSettings = QStringLiteral("old block");
        QElapsedTimer clock;
        clock.start();
        f->com.PowerOn(); // no receiver: answer wait, a second's pause, configuration wait
        QVERIFY2(clock.elapsed() >= 2550 && clock.elapsed() < 4500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(f->main.stSettings, QString());
        QCOMPARE(f->line.read(), wire("<STX>07A1D<ETX><DC1>000<ETX>"));
        const QByteArray block = wire("<DC2>R0088A0200C2<ETX>");
        QTimer::singleShot(50, [&] { f->line.write(wire("<STX>002001<ETX>")); });
        QTimer::singleShot(1300, [&] { f->line.write(block); });
        QString answer;
        f->com.PowerOn(answer);
        QCOMPARE(answer, wireText("<STX>002001<ETX>"));
        QCOMPARE(f->main.stSettings, QString::fromLatin1(block)); // handed to the main window
    }

private:
    std::unique_ptr<OpenLine> f;
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
