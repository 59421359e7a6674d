// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting, polling, the interface reset and the model report, against the receiver simulator.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "base/CommandLine.h"
#include "support/Fixtures.h"
#include "support/WindowSuite.h"
#include "support/WireBytes.h"
#include "ui/Form_YInfo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLoggingCategory>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
const QByteArray kRequest = wire("<DC1>000<ETX>");

// The add-ins' messages and, through its trace, what the receiver evaluation is handed, in order.
QStringList order;
QtMessageHandler previousHandler = nullptr;
void traceHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (context.category && QByteArray(context.category) == "velmora.state" &&
        text.startsWith(QLatin1String("report ")))
        order << QStringLiteral("eval:") + text.mid(7);
    else
        previousHandler(type, context, text);
}

// Status lines, connect item, and whether port open, poll running, reset on, port 1 choosable.
QString windowState() {
    const Form_Velmora &main = Form_Velmora::instance();
    const auto flag = [](bool on, const char *name) { return QLatin1String(on ? name : ""); };
    return QStringLiteral("%1 / %2 / %3 /%4%5%6%7")
        .arg(main.Line1->text(), main.Line2->text(), main.Menu_Connect->text(),
             flag(Form_Com::instance().Com->PortOpen(), " open"),
             flag(main.Timer_Check->isActive(), " polling"),
             flag(main.Menu_Reset->isEnabled(), " reset"),
             flag(main.Menu_Setup_Port(1)->isEnabled(), " port"));
}

speed_t lineSpeed(const QString &device) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    const bool ok = fd >= 0 && tcgetattr(fd, &t) == 0;
    if (fd >= 0) ::close(fd);
    return ok ? cfgetospeed(&t) : B0;
}
} // namespace

class TestConnection : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QLoggingCategory::setFilterRules(QStringLiteral("velmora.state.debug=true"));
        previousHandler = qInstallMessageHandler(traceHandler);
    }
    void init() {
        WindowSuite::init();
        m_received.clear();
    }

    void connectsAndDisconnects_data() {
        // Shown on status line 2 and in the information window; the report items checked.
        columns<QString, QString, QList<int>, QByteArray>("model", "shown", "intervals", "sent");
        row("plain block, real time", "R0088", "R0088 Softv.B RX-V1000 R0088 B", QList<int>{0},
            wire("<STX>20000<ETX><STX>20100<ETX>"));
        row("prefixed block, 100 and 250 ms", "R0161", "R0161 Softv.A RX-V2400 R0161 A",
            QList<int>{2, 5}, wire("<STX>20000<ETX><STX>20102<ETX><STX>20105<ETX>"));
    }
    void connectsAndDisconnects() {
        FETCH((QString, QString, QList<int>, QByteArray), model, shown, intervals, sent);
        clsAddIn addIn(QStringLiteral("A"));
        QStringList settingsSeen;
        QObject::connect(&addIn, &clsAddIn::ReceivedSettings,
                         [&](const QString &s) { settingsSeen << s; });
        QObject::connect(&addIn, &clsAddIn::ReceivedCommand,
                         [&](const QString &m) { order << "cmd:" + m; });
        gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
        gAddIns->Add(&addIn);
        for (int item = 0; item < 8; ++item)
            Form_Velmora::instance().Menu_Setup_ReportTime(item)->setChecked(
                intervals.contains(item));
        Form_Velmora &main = connect(model);
        QCOMPARE(windowState(),
                 "Connected / " + main.Line2->text() + " / Disconnect / open polling reset");
        const Form_YInfo &info = Form_YInfo::instance();
        QCOMPARE(main.Line2->text() + ' ' + info.text_modell->text() + ' ' +
                     info.text_modellid->text() + ' ' + info.text_softwareversion->text(),
                 shown);
        QCOMPARE(lineSpeed(sim->devicePath()), speed_t(B9600));
        // The add-ins see the answer as it came, the window keeps it without the "@E01900" prefix.
        const QString raw = QString::fromLatin1(sim->model().configurationAnswer());
        QCOMPARE(settingsSeen, QStringList{raw.mid(1, raw.size() - 2)});
        QCOMPARE(main.stSettings, model == QLatin1String("R0161")
                                      ? raw.left(7) + QStringLiteral("23") + raw.mid(16)
                                      : raw);
        QCOMPARE(QChar(0x12) + info.text_YString->text() + QChar(0x03), main.stSettings);
        // One request, then the reports are switched on at the chosen intervals.
        QTRY_COMPARE(received(), kRequest + sent);
        QVERIFY2(env->errors.calls.isEmpty() && env->dialogs->shown.isEmpty(),
                 qPrintable(env->errors.describe()));
        // Two reports in one read: each goes to the add-ins first, then to the evaluation.
        order.clear();
        sim->sendRaw(wire("<STX>102101<ETX><STX>002301<ETX>"));
        QTRY_COMPARE(order,
                     (QStringList{"cmd:102101", "eval:102101", "cmd:002301", "eval:002301"}));
        sim->control(QStringLiteral("input TUNER")); // a change on the front panel comes by itself
        QTRY_VERIFY(order.contains(QStringLiteral("eval:102102")));
        gAddIns->Remove(QStringLiteral("A"));
        // Disconnecting frees a link left busy by an exchange that never finished.
        Form_Com::instance().Com->Tag = QStringLiteral("1");
        main.Menu_Connect_Click();
        QCOMPARE(Form_Com::instance().Com->Tag, QStringLiteral("0"));
        QCOMPARE(windowState(), "Connection / closed / Connect / port");
    }
    void unknownModelOffersTheModelReport() {
        Form_Velmora &main = connect(QStringLiteral("R9999"));
        const Form_YInfo &info = Form_YInfo::instance();
        QCOMPARE(main.Line1->text() + ' ' + info.text_modell->text(),
                 QStringLiteral("Connected ?"));
        // Asked on every opening of the information window; a mail only for "Yes".
        for (const MsgBoxResult answer : {MsgBoxResult::No, MsgBoxResult::Yes}) {
            env->dialogs->answerMsgBox(answer);
            main.Menu_Extras_YInfo_Click();
            QVERIFY(info.isVisible() && env->dialogs->last().style == int(MsgBoxStyle::YesNo));
        }
        QVERIFY(env->dialogs->shown.size() == 2 && env->shell.calls.size() == 1);
        const QString mail = env->shell.calls.first().text;
        QVERIFY2(mail.startsWith("mailto:" VELMORA_REPORT_ADDRESS "?Subject=My%20Yamaha&Body=") &&
                     mail.contains("Modell-Id%3A R9999%0D%0ASoftwareversion%3A A"),
                 qPrintable(mail));
    }
    void withoutAReceiver() {
        // Four requests, then "Connect Error" without a box.
        PtyPair line;
        line.assignToPort(1);
        QElapsedTimer clock;
        clock.start();
        Form_Velmora::instance().ConnectToYamaha(0);
        QVERIFY2(clock.elapsed() >= 3150, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(windowState(), "Connect / Error / &Connect / port");
        QCOMPARE(line.read(200), kRequest + kRequest + kRequest + kRequest);
        QVERIFY(env->dialogs->shown.isEmpty() && env->errors.calls.isEmpty());
        // No reset without a connection; a busy link is awaited 2 s, no event run, then given up.
        Form_Com &com = Form_Com::instance();
        QString answer = QStringLiteral("untouched");
        com.ResetYamaha(answer);
        QCOMPARE(answer + ' ' + env->dialogs->last().prompt,
                 QStringLiteral("untouched Connect Error !"));
        com.Com->setPortOpen(true);
        com.Com->Tag = QStringLiteral("1");
        bool fired = false;
        QTimer::singleShot(10, [&] { fired = true; });
        clock.start();
        com.ResetYamaha(answer);
        QVERIFY2(clock.elapsed() >= 1990 && !fired, "the idle wait lets no event run");
        QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Time Out"));
        QCOMPARE(line.read(200), QByteArray());
        com.Com->Tag = QStringLiteral("0");
        QTRY_VERIFY(fired);
        com.Com->setPortOpen(false);
        // A port that cannot be opened: the box names the device and the reason.
        qputenv("VELMORA_COM1", "/dev/velmora-no-such-port");
        Form_Velmora::instance().ConnectToYamaha(0);
        QVERIFY2(env->dialogs->last().prompt.startsWith(
                     "Error:  8002\rCom - Invalid port number (/dev/velmora-no-such-port"),
                 qPrintable(env->dialogs->last().prompt));
        QCOMPARE(windowState(), "Comport Error /  / Connect / port");
    }
    void commandLineConnects_data() {
        columns<QString, bool, int, bool>("line", "standby", "port", "powerOnSent");
        row("-c3 -p: standby, switched on", "-c3 -p", true, 3, true);
        row("-C alone: standby, left so", "-C", true, 1, false);
        row("-C12 -P: already on", "-C12 -P", false, 12, false);
    }
    void commandLineConnects() {
        FETCH((QString, bool, int, bool), line, standby, port, powerOnSent);
        sim = std::make_unique<SimulatedReceiver>(QStringLiteral("R0088"), standby, port);
        setCommand(line);
        Form_Velmora &main = Form_Velmora::instance();
        main.Load();
        QCOMPARE(Form_Com::instance().Com->CommPort(), long(port));
        QVERIFY(main.Menu_Setup_Port(1)->isChecked()); // the command line's port is not checked
        QTRY_VERIFY(received().contains(wire("<STX>20100<ETX>")));
        const qsizetype power = received().indexOf(wire("<STX>07A1D<ETX>"));
        QCOMPARE(power >= 0, powerOnSent);
        QCOMPARE(sim->model().state().power, !standby || powerOnSent);
        if (powerOnSent) { // switched on before the reports are on; the block is read after that
            QVERIFY(power < received().indexOf(wire("<STX>20000<ETX>")));
            QCOMPARE(main.stSettings, QString::fromLatin1(sim->model().configurationAnswer()));
        }
    }
    void resetMenuAsksTwiceAndResets() {
        Form_Velmora &main = connect();
        QTRY_VERIFY(received().contains(wire("<STX>20100<ETX>")));
        for (const MsgBoxResult answer : {MsgBoxResult::No, MsgBoxResult::Yes}) {
            m_received.clear();
            env->dialogs->shown.clear();
            env->dialogs->answerMsgBox(MsgBoxResult::OK);
            env->dialogs->answerMsgBox(answer);
            main.Menu_Reset_Click();
            QCOMPARE(env->dialogs->shown.size(), 2); // a note, then the question
            QCOMPARE(env->dialogs->shown.at(1).style,
                     MsgBoxStyle::YesNo | MsgBoxStyle::Question | MsgBoxStyle::DefaultButton2);
            if (answer == MsgBoxResult::No) { // sends nothing
                QTest::qWait(100);
                QCOMPARE(received(), QByteArray());
            }
        }
        // The reset frame, then the receiver is switched on and asked for its configuration.
        QTRY_VERIFY(received().startsWith(wire("<DC3><DEL><DEL><DEL><ETX>")));
        QVERIFY(received().contains(wire("<STX>07A1D<ETX>") + kRequest));
    }
    void lostDeviceWaitsQuietlyAndComesBack_data() {
        columns<int>("pull"); // how the line ends; -1: the terminal is closed and replaced
        row("far end closed: end of file, POLLHUP", int(Sim::ReceiverSimulator::Pull::CloseMaster));
        row("hung up, as a pulled USB adapter", int(Sim::ReceiverSimulator::Pull::HangUp));
        row("terminal gone, a new one under the name", -1);
    }
    void lostDeviceWaitsQuietlyAndComesBack() {
        QFETCH(int, pull);
        // The port's device name stays; the terminal behind it is pulled and plugged in again.
        const QString device = env->file(QStringLiteral("ttyVelmora"));
        const auto plugIn = [&] {
            sim = std::make_unique<SimulatedReceiver>();
            QFile::remove(device);
            QVERIFY(QFile::link(sim->devicePath(), device));
            qputenv("VELMORA_COM1", device.toLocal8Bit());
        };
        plugIn();
        Form_Velmora &main = shownMainWindow();
        main.ConnectToYamaha(0);
        QTRY_VERIFY(sim->model().state().reportsEnabled);
        if (pull < 0)
            sim.reset();
        else // both ends stay open
            QVERIFY(sim->pullLine(Sim::ReceiverSimulator::Pull(pull)));
        QFile::remove(device);
        // The errno the port's next read finds, as its own modem-line call on a pseudo-terminal
        // leaves it: the port reports a read error with this stale text, whatever happened.
        errno = ENOTTY;
        QTRY_COMPARE(windowState(), "Comport Error /  / Connect / port");
        const std::clock_t before = std::clock(); // waiting does not spin on the dead line
        QTest::qWait(2000);
        QVERIFY(std::clock() - before < CLOCKS_PER_SEC * 2 / 10);
        QVERIFY2(env->errors.only(ErrNr::ComPortNotAvailable), qPrintable(env->errors.describe()));
        plugIn();
        QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text(), QStringLiteral("Reconnected"), 5000);
        QTRY_VERIFY(main.Timer_Check->isActive() && sim->model().state().reportsEnabled);
        QCOMPARE(env->errors.calls.size(), 1);
    }

private:
    Form_Velmora &connect(const QString &model = QStringLiteral("R0088")) {
        sim = std::make_unique<SimulatedReceiver>(model);
        Form_Velmora::instance().ConnectToYamaha(0);
        return Form_Velmora::instance();
    }
    const QByteArray &received() { // what the receiver was sent since the last clear
        if (sim) m_received += sim->takeReceived();
        return m_received;
    }

    QByteArray m_received;
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
