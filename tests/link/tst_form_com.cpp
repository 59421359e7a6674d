// The serial link over a real pseudo-terminal: frames on the line, reading, the busy flag,
// the traffic log and the debug terminal.
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "link/Form_Com.h"
#include "link/Framing.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>

namespace {
QByteArray bytes(const char *hex) {
    return QByteArray::fromHex(hex);
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

class TestFormCom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void permissionHintNamesTheGroup_data();
    void permissionHintNamesTheGroup();

    void commandFrameOnTheLine_data();
    void commandFrameOnTheLine();
    void closedPortSendsNothing();
    void busyLinkDropsCommand();
    void readPortReturnsOnEtx();
    void readPortJoinsCutFrame();
    void readPortGivesUpAfterDeadline();
    void readPortDirectLooksOnce();
    void clearComPufferHandsBackWaitingText();
    void reconnectReopensThePort();
    void bothLogPlacesGetSentAndReceivedLines();
    void emptyPollIsNotLoggedWhileConnected();
    void logSwitchedOnStartsAnEmptyFile();
    void terminalClearsPastLimit();
    void terminalKeyFilter();
    void terminalSendNeedsFiveCharacters();
    void terminalCopyClearAndResize();
    void closingTerminalHidesItUntilProgramEnds();
    void pauseWithEventsDoesNotSpin();
    void mainWindowPauseHoldsEventsBack();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<PtyPair> line;
    Form_Com *com = nullptr;
    Form_Velmora *main = nullptr;
};

void TestFormCom::init() {
    env = std::make_unique<TestEnvironment>();
    line = std::make_unique<PtyPair>();
    QVERIFY(line->isValid());
    line->assignToPort(1);
    main = &Form_Velmora::instance();
    com = &Form_Com::instance();
    com->Com->setCommPort(1);
    com->Com->setPortOpen(true);
    QVERIFY(com->Com->PortOpen());
}

void TestFormCom::cleanup() {
    env.reset();
    line.reset();
}

void TestFormCom::commandFrameOnTheLine_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("wire");
    QTest::addRow("power on") << "07A1D" << bytes("02303741314403");
    QTest::addRow("input DVD") << "07AC1" << bytes("02303741433103");
    QTest::addRow("report enable") << "20000" << bytes("02323030303003");
    QTest::addRow("empty text") << "" << bytes("0203");
}

void TestFormCom::commandFrameOnTheLine() {
    QFETCH(QString, code);
    QFETCH(QByteArray, wire);
    com->SendCommand(code);
    QCOMPARE(line->read(), wire);
    QCOMPARE(com->Com->Tag, QStringLiteral("0"));
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestFormCom::closedPortSendsNothing() {
    com->Com->setPortOpen(false);
    com->SendCommand(QStringLiteral("07A1D"));
    QString answer = QStringLiteral("untouched");
    com->ReadPort(answer, false);
    QCOMPARE(answer, QStringLiteral("untouched"));
    QCOMPARE(line->read(200), QByteArray());
    QVERIFY(env->errors.calls.isEmpty());
    QVERIFY(env->dialogs->shown.isEmpty());
}

void TestFormCom::busyLinkDropsCommand() {
    // A timer fires during the answer wait and tries to send: the link is busy, so the command
    // is lost without a word and never mixes with the exchange on the line.
    bool fired = false;
    QTimer::singleShot(100, [&] {
        fired = true;
        com->SendCommand(QStringLiteral("07A1A"));
    });
    QString answer;
    com->ReadPort(answer, false);
    QVERIFY(fired);
    QCOMPARE(answer, QString());
    QCOMPARE(line->read(200), QByteArray());
    com->SendCommand(QStringLiteral("07A1B"));
    QCOMPARE(line->read(), bytes("02303741314203"));
}

void TestFormCom::readPortReturnsOnEtx() {
    QTimer::singleShot(100, [&] {
        line->write("\x02"
                    "0026C7\x03");
    });
    QElapsedTimer clock;
    clock.start();
    QString answer;
    com->ReadPort(answer, false);
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "0026C7\x03"));
    QVERIFY2(clock.elapsed() < 700, qPrintable(QString::number(clock.elapsed())));
}

void TestFormCom::readPortJoinsCutFrame() {
    QTimer::singleShot(50, [&] {
        line->write("\x02"
                    "002");
    });
    QTimer::singleShot(300, [&] { line->write("6C7\x03"); });
    QString answer;
    com->ReadPort(answer, false);
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "0026C7\x03"));
}

void TestFormCom::readPortGivesUpAfterDeadline() {
    QTimer::singleShot(50, [&] {
        line->write("\x02"
                    "0026");
    });
    QElapsedTimer clock;
    clock.start();
    QString answer = QStringLiteral("old");
    com->ReadPort(answer, false);
    const qint64 took = clock.elapsed();
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "0026"));
    QVERIFY2(took >= 790 && took < 2000, qPrintable(QString::number(took)));
}

void TestFormCom::readPortDirectLooksOnce() {
    QElapsedTimer clock;
    clock.start();
    QString answer = QStringLiteral("old");
    com->ReadPort(answer, true);
    QCOMPARE(answer, QString());
    QVERIFY(clock.elapsed() < 400);

    line->write("\x02"
                "002301\x03\x02"
                "0028");
    QTest::qWait(50);
    com->ReadPort(answer, true);
    QCOMPARE(answer, QStringLiteral("\x02"
                                    "002301\x03\x02"
                                    "0028"));
}

void TestFormCom::clearComPufferHandsBackWaitingText() {
    line->write("noise\x02"
                "1021");
    QTest::qWait(50);
    QString waiting;
    com->ClearComPuffer(waiting);
    QCOMPARE(waiting, QStringLiteral("noise\x02"
                                     "1021"));
    com->ClearComPuffer(waiting);
    QCOMPARE(waiting, QString());
}

void TestFormCom::reconnectReopensThePort() {
    main->Menu_Setup_Log->setChecked(true);
    com->ReConnect();
    QVERIFY(com->Com->PortOpen());
    QCOMPARE(main->Line1->text(), QString());
    QCOMPARE(main->Line2->text(), QStringLiteral("Done"));
    QFile log(env->file(QStringLiteral("debug.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("---> RECONNECT\r\n"));
    // The reopened port still carries frames.
    com->SendCommand(QStringLiteral("07A1D"));
    QCOMPARE(line->read(), bytes("02303741314403"));
}

void TestFormCom::bothLogPlacesGetSentAndReceivedLines() {
    main->Menu_Setup_Debug_Click(); // terminal open
    main->Menu_Setup_Log_Click();   // file log on
    QVERIFY(com->isVisible());
    QTimer::singleShot(50, [&] {
        line->write("\x02"
                    "0026C8\x03");
    });
    com->SendCommand(QStringLiteral("07A1A"));
    QString answer;
    com->ReadPort(answer, false);

    const QString sent = QStringLiteral("---> \x02"
                                        "07A1A\x03");
    const QString received = QStringLiteral("<--- \x02"
                                            "0026C8\x03");
    // The terminal names the control bytes; the file keeps the bytes.
    QCOMPARE(com->Text_Com->toPlainText(),
             QStringLiteral("---> <STX>07A1A<ETX>\n<--- <STX>0026C8<ETX>\n"));
    QFile log(env->file(QStringLiteral("debug.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(log.readAll()), sent + "\r\n" + received + "\r\n");
}

void TestFormCom::emptyPollIsNotLoggedWhileConnected() {
    main->Menu_Setup_Log_Click();
    QString answer;
    com->ReadPort(answer, true); // an empty poll before polling starts is logged
    main->Timer_Check->start();
    com->ReadPort(answer, true); // ...but not while connected
    main->Timer_Check->stop();
    QFile log(env->file(QStringLiteral("debug.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("<--- \r\n"));
}

void TestFormCom::logSwitchedOnStartsAnEmptyFile() {
    QFile old(env->file(QStringLiteral("debug.txt")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an old log\r\n");
    old.close();
    main->Menu_Setup_Log_Click();
    QVERIFY(main->Menu_Setup_Log->isChecked());
    QVERIFY(!QFile::exists(old.fileName()));
    com->DebugLog(QStringLiteral("X"), true);
    main->Menu_Setup_Log_Click(); // off: the file stays
    QVERIFY(!main->Menu_Setup_Log->isChecked());
    QVERIFY(QFile::exists(old.fileName()));
}

void TestFormCom::terminalClearsPastLimit() {
    main->Menu_Setup_Debug_Click();
    com->Text_Com->setPlainText(QString(Form_Com::TerminalLimit, QLatin1Char('x')));
    com->DebugLog(QStringLiteral("A"), false);
    QVERIFY(com->Text_Com->toPlainText().size() > Form_Com::TerminalLimit); // at the limit: kept
    com->DebugLog(QStringLiteral("B"), false);
    QCOMPARE(com->Text_Com->toPlainText(), QStringLiteral("<--- B\n"));
}

void TestFormCom::terminalKeyFilter() {
    com->show();
    com->Text_send->clear();
    QTest::keyClicks(com->Text_send, QStringLiteral("7g aF"));
    QCOMPARE(com->Text_send->text(), QStringLiteral("7aF"));
    QTest::keyClick(com->Text_send, Qt::Key_Backspace);
    QCOMPARE(com->Text_send->text(), QStringLiteral("7a"));
}

void TestFormCom::terminalSendNeedsFiveCharacters() {
    com->show();
    com->Text_send->setText(QStringLiteral("07A1"));
    QTest::keyClick(com->Text_send, Qt::Key_Return);
    QCOMPARE(line->read(200), QByteArray());
    QTest::keyClicks(com->Text_send, QStringLiteral("D"));
    QTest::keyClick(com->Text_send, Qt::Key_Return);
    QCOMPARE(line->read(), bytes("02303741314403"));
    com->Text_send->setText(QStringLiteral("07AC1"));
    com->cmd_send_Click();
    QCOMPARE(line->read(), bytes("02303741433103"));
}

void TestFormCom::terminalCopyClearAndResize() {
    main->Menu_Setup_Debug_Click();
    com->DebugLog(QStringLiteral("\x02"
                                 "102105\x03"),
                  false);
    com->cmd_copy_Click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<--- <STX>102105<ETX>\n"));
    com->cmd_clear_Click();
    QCOMPARE(com->Text_Com->toPlainText(), QString());

    // The traffic fills the window below the controls.
    com->resize(700, 500);
    QCOMPARE(com->Text_Com->geometry(),
             QRect(0, com->Text_Com->y(), 700, 500 - com->Text_Com->y()));
    QVERIFY(com->Text_Com->y() > com->Text_send->geometry().bottom());
}

void TestFormCom::closingTerminalHidesItUntilProgramEnds() {
    main->Menu_Setup_Debug_Click();
    QVERIFY(main->Menu_Setup_Debug->isChecked());
    QVERIFY(!com->close());
    QVERIFY(!com->isVisible());
    QVERIFY(!main->Menu_Setup_Debug->isChecked());
    QCOMPARE(Form_Com::existing(), com);

    bProgramEnding = true;
    QVERIFY(Form_Com::unload());
    QCOMPARE(Form_Com::existing(), nullptr);
}

void TestFormCom::pauseWithEventsDoesNotSpin() {
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    com->Pause(2.0f);
    const double used = cpuSeconds() - cpu;
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= 1995 && took < 3000, qPrintable(QString::number(took)));
    QVERIFY2(ticks >= 10, "events must keep running during the wait");
    // A spinning wait would use the whole two seconds.
    QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
}

void TestFormCom::mainWindowPauseHoldsEventsBack() {
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    main->Pause(0.3f);
    QVERIFY(clock.elapsed() >= 295);
    QVERIFY2(!fired, "no event may run during the blocking wait");
    QVERIFY(cpuSeconds() - cpu < 0.15);
    QTRY_VERIFY(fired);
}

void TestFormCom::permissionHintNamesTheGroup_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("groupMayUse");
    QTest::addColumn<QString>("says");
    QTest::addRow("the group may use it")
        << "dialout" << true << "sudo adduser anna dialout\", then log out and in again";
    QTest::addRow("only the owner may") << "root" << false << "Only the owner of /dev/ttyUSB0";
}

void TestFormCom::permissionHintNamesTheGroup() {
    QFETCH(QString, group);
    QFETCH(bool, groupMayUse);
    QFETCH(QString, says);
    const QString hint = portPermissionHint(QStringLiteral("/dev/ttyUSB0"), group, groupMayUse,
                                            QStringLiteral("anna"));
    QVERIFY2(hint.contains(says), qPrintable(hint));
}

QTEST_MAIN(TestFormCom)
#include "tst_form_com.moc"
