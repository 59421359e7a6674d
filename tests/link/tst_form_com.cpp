// SPDX-License-Identifier: GPL-3.0-or-later
// The serial link on a pseudo-terminal: reading, the busy flag, traffic log, waits.
#include "base/Globals.h"
#include "link/SerialTransport.h"
#include "support/Fixtures.h"
#include "support/WireBytes.h"
#include "ui/terminal/Form_ComTerminal.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <ctime>

class TestFormCom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<OpenLine>(); }
    void cleanup() { f.reset(); }

    void permissionHintNamesTheGroup() {
        const QString device = QStringLiteral("/dev/ttyUSB0"), user = QStringLiteral("anna");
        QVERIFY(portPermissionHint(device, "dialout", true, user).contains("adduser anna dialout"));
        QVERIFY(portPermissionHint(device, "root", false, user).contains("Only the owner of"));
    }
    void closedOrBusyLinkSendsNothing() {
        f->com.Com->setPortOpen(false);
        f->com.SendCommand(QStringLiteral("07A1D"));
        QString answer = QStringLiteral("untouched");
        f->com.ReadPort(answer, false);
        QCOMPARE(answer + f->line.read(200), QStringLiteral("untouched"));
        // A command sent from a timer during the answer wait is lost: the link is busy.
        f->com.Com->setPortOpen(true);
        bool fired = false;
        QTimer::singleShot(100, [&] {
            fired = true;
            f->com.SendCommand(QStringLiteral("07A1A"));
        });
        f->com.ReadPort(answer, false);
        QVERIFY(fired && answer.isEmpty());
        QCOMPARE(f->line.read(200), QByteArray());
        f->com.SendCommand(QStringLiteral("07A1B")); // the exchange over, the link is free again
        QCOMPARE(f->line.read(), wire("<STX>07A1B<ETX>"));
        QVERIFY2(f->env.errors.calls.isEmpty() && f->env.dialogs->shown.isEmpty(),
                 qPrintable(f->env.errors.describe()));
    }
    void readPort() {
        // Receiver writes "ms:bytes|..." ("0:" before the read), direct mode, answer, time bounds.
        const std::tuple<const char *, bool, const char *, int, int> rows[] = {
            {"100:<STX>0026C7<ETX>", false, "<STX>0026C7<ETX>", 0, 700},
            {"50:<STX>002|300:6C7<ETX>", false, "<STX>0026C7<ETX>", 0, 700}, // joins a cut frame
            {"50:<STX>0026", false, "<STX>0026", 790, 2000},                 // gives up after 0.8 s
            {"", true, "", 0, 400},                                          // direct: one look
            {"0:<STX>002301<ETX><STX>0028", true, "<STX>002301<ETX><STX>0028", 0, 400},
        };
        for (const auto &[writes, direct, answer, minMs, maxMs] : rows) {
            for (const QString &w : QString(writes).split('|', Qt::SkipEmptyParts)) {
                const QByteArray bytes = wire(w.section(':', 1).toLatin1().constData());
                QTimer::singleShot(w.section(':', 0, 0).toInt(),
                                   [this, bytes] { f->line.write(bytes); });
            }
            QTest::qWait(50); // the "0:" writes are in
            QElapsedTimer clock;
            clock.start();
            QString got = QStringLiteral("old");
            f->com.ReadPort(got, direct);
            QCOMPARE(got, wireText(answer));
            QVERIFY2(clock.elapsed() >= minMs && clock.elapsed() < maxMs, writes);
        }
    }
    void trafficLog() {
        const QString log = f->env.file(QStringLiteral("debug.txt"));
        QVERIFY(f->env.writeFile(log, "an old log\r\n"));
        f->main.Menu_Setup_Debug_Click(); // terminal open
        f->main.Menu_Setup_Log_Click();   // file log on: a new file
        const Form_ComTerminal *terminal = Form_ComTerminal::existing();
        QVERIFY(terminal->isVisible() && f->main.Menu_Setup_Log->isChecked());
        QVERIFY(!QFile::exists(log));
        QTimer::singleShot(50, [&] { f->line.write(wire("<STX>0026C8<ETX>")); });
        f->com.SendCommand(QStringLiteral("07A1A"));
        QString answer;
        f->com.ReadPort(answer, false);
        f->com.ReadPort(answer, true); // an empty poll before polling starts is logged...
        f->com.setTrafficLogOptions({true, true, true});
        f->com.ReadPort(answer, true); // ...but not while connected
        f->com.setTrafficLogOptions({true, true, false});
        // The terminal names the control bytes; the file keeps the bytes.
        QCOMPARE(terminal->Text_Com->toPlainText(),
                 QStringLiteral("---> <STX>07A1A<ETX>\n<--- <STX>0026C8<ETX>\n<--- \n"));
        QCOMPARE(f->env.readFile(log),
                 wire("---> <STX>07A1A<ETX>\r\n<--- <STX>0026C8<ETX>\r\n<--- \r\n"));
        f->com.ReConnect(); // reopens the port
        QCOMPARE(f->main.Line1->text() + '|' + f->main.Line2->text(), QStringLiteral("|Done"));
        QVERIFY(f->env.readFile(log).endsWith("---> RECONNECT\r\n"));
        f->com.SendCommand(QStringLiteral("07A1D"));
        QCOMPARE(f->line.read(), wire("<STX>07A1A<ETX><STX>07A1D<ETX>"));
        f->main.Menu_Setup_Log_Click(); // off: the file stays
        QVERIFY(!f->main.Menu_Setup_Log->isChecked() && QFile::exists(log));
    }
    void waitsDoNotSpin() {
        // The link's wait lets events run; a spinning wait would use the whole two seconds.
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(100);
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpu = std::clock();
        f->com.Pause(2.0f);
        QVERIFY2(clock.elapsed() >= 1995 && clock.elapsed() < 3000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(ticks >= 10 && std::clock() - cpu < CLOCKS_PER_SEC / 2,
                 "events run, nothing spins");
    }

private:
    std::unique_ptr<OpenLine> f;
};

QTEST_MAIN(TestFormCom)
#include "tst_form_com.moc"
