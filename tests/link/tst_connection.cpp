// Connecting to a receiver, identifying it, polling its reports, the interface reset and the
// model report, against the receiver simulator on a real pseudo-terminal.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "app/CommandLine.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "link/Form_Com.h"
#include "link/Form_YInfo.h"
#include "sim/ReceiverSimulator.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <ctime>

using Sim::ReceiverSimulator;

namespace {
QByteArray frame(const char *code) {
    return QByteArray("\x02") + code + "\x03";
}
const QByteArray kRequest("\x11"
                          "000\x03");

// What the receiver evaluation is handed, in order, through its trace.
QStringList *evaluated = nullptr;
QtMessageHandler previousHandler = nullptr;
void traceHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (evaluated && context.category && QByteArray(context.category) == "velmora.state" &&
        text.startsWith(QLatin1String("report ")))
        evaluated->append(QStringLiteral("eval:") + text.mid(7));
    else if (previousHandler)
        previousHandler(type, context, text);
}
} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void connectsOnTheFirstAnswer();
    void prefixedAnswerIsNormalisedAfterTheAddInsSawIt();
    void unknownModelOffersTheModelReport_data();
    void unknownModelOffersTheModelReport();
    void powerOnSwitch_data();
    void powerOnSwitch();
    void everyCheckedReportItemIsSent();
    void silentLineEndsInConnectError();
    void portThatCannotOpenIsReported();
    void disconnectClosesAndFreesTheLink();
    void pollingHandsEveryMessageToAddInsThenEvaluation();
    void commandLineConnects_data();
    void commandLineConnects();
    void resetWithoutConnection();
    void resetWaitsForABusyLink();
    void resetMenuAsksTwiceAndResets_data();
    void resetMenuAsksTwiceAndResets();
    void everyCatalogueCommandIsUnderstood();
    void lostDeviceWaitsQuietlyAndComesBack();

private:
    // Starts a simulated receiver on port n.
    ReceiverSimulator &receiver(const QString &model = QStringLiteral("R0088"),
                                bool standby = false, int port = 1);
    QByteArray received() const { return m_received; }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ReceiverSimulator> sim;
    QByteArray m_received;
    QStringList order;
};

void TestConnection::init() {
    env = std::make_unique<TestEnvironment>();
    m_received.clear();
    order.clear();
    evaluated = &order;
    QLoggingCategory::setFilterRules(QStringLiteral("velmora.state.debug=true"));
    previousHandler = qInstallMessageHandler(traceHandler);
}

void TestConnection::cleanup() {
    qInstallMessageHandler(previousHandler);
    evaluated = nullptr;
    env.reset();
    sim.reset();
}

ReceiverSimulator &TestConnection::receiver(const QString &model, bool standby, int port) {
    sim = std::make_unique<ReceiverSimulator>(model, standby);
    if (!sim->openPty()) qFatal("no pseudo-terminal: %s", qPrintable(sim->errorString()));
    qputenv(QStringLiteral("VELMORA_COM%1").arg(port).toLatin1(), sim->devicePath().toLocal8Bit());
    connect(sim.get(), &ReceiverSimulator::bytesReceived, this,
            [this](const QByteArray &b) { m_received += b; });
    return *sim;
}

void TestConnection::connectsOnTheFirstAnswer() {
    receiver(QStringLiteral("R0088"));
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(0);

    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    QVERIFY(main.Line2->text().startsWith(QStringLiteral("R0088 Softv.")));
    QCOMPARE(main.Line2->text().size(), QStringLiteral("R0088 Softv.").size() + 1);
    const Form_YInfo &info = Form_YInfo::instance();
    QCOMPARE(info.text_modell->text(), QStringLiteral("RX-V1000"));
    QCOMPARE(info.text_modellid->text(), QStringLiteral("R0088"));
    QCOMPARE(info.text_softwareversion->text(), main.Line2->text().right(1));
    QCOMPARE(QString(QChar(0x12)) + info.text_YString->text() + QChar(0x03), main.stSettings);
    QCOMPARE(stModelID, QStringLiteral("R0088"));
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Disconnect"));
    QVERIFY(main.Timer_Check->isActive());
    QVERIFY(main.Menu_Reset->isEnabled());
    QVERIFY(main.Menu_Extras_YInfo->isEnabled());
    QVERIFY(!main.Menu_Setup_Port(1)->isEnabled());
    // One request, then the reports are switched on at the chosen interval.
    QTRY_COMPARE(received(), kRequest + frame("20000") + frame("20100"));
    QTRY_VERIFY(sim->model().state().reportsEnabled);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
    QVERIFY(env->dialogs->shown.isEmpty());
}

void TestConnection::prefixedAnswerIsNormalisedAfterTheAddInsSawIt() {
    receiver(QStringLiteral("R0161"));
    clsAddIn addIn(QStringLiteral("A"));
    QStringList settingsSeen;
    connect(&addIn, &clsAddIn::ReceivedSettings, [&](const QString &s) { settingsSeen << s; });
    gAddIns = std::make_unique<clsAddIns>();
    gAddIns->Add(&addIn);

    Form_Com &com = Form_Com::instance();
    com.Com->setPortOpen(true);
    QString normalised, original = QStringLiteral("kept");
    com.ReadSettings(normalised, original);
    const QString raw = QString::fromLatin1(sim->model().configurationAnswer());
    QCOMPARE(original, raw);
    QCOMPARE(raw.mid(7, 9), QStringLiteral("2A@E01900"));
    QCOMPARE(normalised, raw.left(7) + QStringLiteral("23") + raw.mid(16));
    QCOMPARE(settingsSeen, QStringList{raw.mid(1, raw.size() - 2)});

    com.Com->setPortOpen(false);
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(0);
    QCOMPARE(main.stSettings, normalised);
    QCOMPARE(Form_YInfo::instance().text_modell->text(), QStringLiteral("RX-V2400"));
    gAddIns->Remove(QStringLiteral("A"));
}

void TestConnection::unknownModelOffersTheModelReport_data() {
    QTest::addColumn<bool>("yes");
    QTest::addRow("send") << true;
    QTest::addRow("do not send") << false;
}

void TestConnection::unknownModelOffersTheModelReport() {
    QFETCH(bool, yes);
    receiver(QStringLiteral("R9999"));
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(0);
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    const Form_YInfo &info = Form_YInfo::instance();
    QCOMPARE(info.text_modell->text(), QStringLiteral("?"));

    env->dialogs->answerMsgBox(yes ? MsgBoxResult::Yes : MsgBoxResult::No);
    main.Menu_Extras_YInfo_Click();
    QVERIFY(info.isVisible());
    QCOMPARE(env->dialogs->shown.size(), 1);
    const auto &box = env->dialogs->last();
    QCOMPARE(box.title, QStringLiteral("Unknown Yamaha Model"));
    QCOMPARE(box.buttons(), int(MsgBoxStyle::YesNo));
    QCOMPARE(box.prompt,
             QStringLiteral("New Yamaha Model:\r\nTo make this Software better :\nSend a email to "
                            "the Software developer with Yamaha connection string !\nComplete the "
                            "Email with the Yamaha model description !\n\nSend E-mail ?"));
    if (!yes) {
        QVERIFY(env->shell.calls.isEmpty());
        return;
    }
    QCOMPARE(env->shell.calls.size(), 1);
    QCOMPARE(env->shell.calls.first().text,
             QStringLiteral("mailto:" VELMORA_REPORT_ADDRESS
                            "?Subject=My%20Yamaha&Body=Model%3A%20%28Complete%20here%20your%20Model"
                            "%20desctiption%20Example:%3ADSP-AX1%29%0D%0A%0D%0AModell-Id%3A R9999"
                            "%0D%0ASoftwareversion%3A ") +
                 info.text_softwareversion->text() + QStringLiteral("%0D%0AAnswerstring%3A ") +
                 info.text_YString->text() +
                 QStringLiteral("%0D%0A%0D%0ATo make better in this software:%3A %0D%0A"));
}

void TestConnection::powerOnSwitch_data() {
    QTest::addColumn<bool>("standby");
    QTest::addColumn<int>("Sw1");
    QTest::addColumn<bool>("powerOnSent");
    QTest::addRow("standby, switch on") << true << 1 << true;
    QTest::addRow("standby, leave it") << true << 0 << false;
    QTest::addRow("already on") << false << 1 << false;
}

void TestConnection::powerOnSwitch() {
    QFETCH(bool, standby);
    QFETCH(int, Sw1);
    QFETCH(bool, powerOnSent);
    receiver(QStringLiteral("R0088"), standby);
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(Sw1);
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    QTRY_VERIFY(received().contains(frame("20100")));
    const qsizetype power = received().indexOf(frame("07A1D"));
    QCOMPARE(power >= 0, powerOnSent);
    QCOMPARE(sim->model().state().power, !standby || powerOnSent);
    if (powerOnSent) {
        // Switched on before the window is synchronised and the reports are enabled, and the
        // kept block is the one read after switching on.
        QVERIFY(power < received().indexOf(frame("20000")));
        QCOMPARE(main.stSettings, QString::fromLatin1(sim->model().configurationAnswer()));
        QVERIFY(main.stSettings.size() > 14);
    }
}

void TestConnection::everyCheckedReportItemIsSent() {
    receiver();
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_Setup_ReportTime(0)->setChecked(false);
    main.Menu_Setup_ReportTime(2)->setChecked(true);
    main.Menu_Setup_ReportTime(5)->setChecked(true);
    main.ConnectToYamaha(0);
    QTRY_COMPARE(received(), kRequest + frame("20000") + frame("20102") + frame("20105"));
}

void TestConnection::silentLineEndsInConnectError() {
    PtyPair line;
    line.assignToPort(1);
    Form_Velmora &main = Form_Velmora::instance();
    QElapsedTimer clock;
    clock.start();
    main.ConnectToYamaha(0);
    QVERIFY2(clock.elapsed() >= 3150, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(main.Line1->text(), QStringLiteral("Connect"));
    QCOMPARE(main.Line2->text(), QStringLiteral("Error"));
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("&Connect"));
    QVERIFY(!Form_Com::instance().Com->PortOpen());
    QVERIFY(!main.Timer_Check->isActive());
    QVERIFY(!main.Menu_Reset->isEnabled());
    QVERIFY(main.Menu_Setup_Port(1)->isEnabled());
    QCOMPARE(line.read(200), kRequest + kRequest + kRequest + kRequest);
    QVERIFY(env->dialogs->shown.isEmpty());
    QVERIFY(env->errors.calls.isEmpty());
}

void TestConnection::portThatCannotOpenIsReported() {
    qputenv("VELMORA_COM1", "/dev/velmora-no-such-port");
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(0);
    QCOMPARE(env->dialogs->shown.size(), 1);
    const auto &box = env->dialogs->last();
    QCOMPARE(box.icon(), int(MsgBoxStyle::Exclamation));
    QVERIFY2(box.prompt.startsWith(QStringLiteral("Error:  8002\rCom - Invalid port number (/dev/"
                                                  "velmora-no-such-port")),
             qPrintable(box.prompt));
    QVERIFY(QRegularExpression(QStringLiteral("\\(\\d+\\)$")).match(box.prompt).hasMatch());
    QCOMPARE(main.Line1->text(), QStringLiteral("Comport Error"));
    QCOMPARE(main.Line2->text(), QString());
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Connect"));
    QVERIFY(!Form_Com::instance().Com->PortOpen());
}

void TestConnection::disconnectClosesAndFreesTheLink() {
    receiver();
    Form_Velmora &main = Form_Velmora::instance();
    Form_Com &com = Form_Com::instance();
    main.ConnectToYamaha(0);
    QVERIFY(com.Com->PortOpen());
    com.Com->Tag = QStringLiteral("1"); // an exchange that never finished
    main.Menu_Connect_Click();
    QVERIFY(!com.Com->PortOpen());
    QCOMPARE(com.Com->Tag, QStringLiteral("0"));
    QCOMPARE(main.Line1->text(), QStringLiteral("Connection"));
    QCOMPARE(main.Line2->text(), QStringLiteral("closed"));
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Connect"));
    QVERIFY(!main.Timer_Check->isActive());
    QVERIFY(main.Menu_Setup_Port(2)->isEnabled());
    main.Menu_Connect_Click();
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
}

void TestConnection::pollingHandsEveryMessageToAddInsThenEvaluation() {
    receiver();
    clsAddIn addIn(QStringLiteral("A"));
    connect(&addIn, &clsAddIn::ReceivedCommand, [&](const QString &m) { order << "cmd:" + m; });
    Form_Velmora &main = Form_Velmora::instance();
    main.Load();
    gAddIns->Add(&addIn);
    main.ConnectToYamaha(0);
    QTRY_VERIFY(sim->model().state().reportsEnabled);
    order.clear();

    // Two reports in one read: each goes to the add-ins first, then to the evaluation.
    sim->sendRaw(frame("102101") + frame("002301"));
    QTRY_COMPARE(order.size(), 4);
    QCOMPARE(order, (QStringList{"cmd:102101", "eval:102101", "cmd:002301", "eval:002301"}));

    // A report written a byte at a time across several ticks is evaluated once, whole.
    order.clear();
    for (const char byte : frame("002302")) {
        sim->sendRaw(QByteArray(1, byte));
        QTest::qWait(30);
    }
    QTRY_COMPARE(order, (QStringList{"cmd:002302", "eval:002302"}));

    // A change on the receiver's front panel arrives by itself.
    order.clear();
    sim->control(QStringLiteral("input TUNER"));
    QTRY_VERIFY(order.contains(QStringLiteral("eval:102102")));
    gAddIns->Remove(QStringLiteral("A"));
}

void TestConnection::commandLineConnects_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("powerOn");
    QTest::addRow("-c3 -p") << "-c3 -p" << 3 << true;
    QTest::addRow("-C alone") << "-C" << 1 << false;
    QTest::addRow("-C12") << "-C12" << 12 << false;
}

void TestConnection::commandLineConnects() {
    QFETCH(QString, line);
    QFETCH(int, port);
    QFETCH(bool, powerOn);
    receiver(QStringLiteral("R0088"), true, port);
    setCommand(line);
    Form_Velmora &main = Form_Velmora::instance();
    main.Load();
    QCOMPARE(Form_Com::instance().Com->CommPort(), long(port));
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    QCOMPARE(received().contains(frame("07A1D")), powerOn);
    QCOMPARE(sim->model().state().power, powerOn);
    // The port given on the command line does not move the port menu's check mark.
    QVERIFY(main.Menu_Setup_Port(1)->isChecked());
}

void TestConnection::resetWithoutConnection() {
    PtyPair line;
    line.assignToPort(1);
    QString answer = QStringLiteral("untouched");
    Form_Com::instance().ResetYamaha(answer);
    QCOMPARE(answer, QStringLiteral("untouched"));
    QCOMPARE(env->dialogs->shown.size(), 1);
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Connect Error !"));
    QCOMPARE(env->dialogs->last().buttons(), int(MsgBoxStyle::OKOnly));
    QCOMPARE(line.read(200), QByteArray());
}

void TestConnection::resetWaitsForABusyLink() {
    PtyPair line;
    line.assignToPort(1);
    Form_Com &com = Form_Com::instance();
    com.Com->setPortOpen(true);
    com.Com->Tag = QStringLiteral("1");
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    QString answer;
    com.ResetYamaha(answer);
    QVERIFY(clock.elapsed() >= 1990);
    QVERIFY2(!fired, "the idle wait lets no event run");
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Time Out"));
    QCOMPARE(line.read(200), QByteArray());
    com.Com->Tag = QStringLiteral("0");
    QTRY_VERIFY(fired);
}

void TestConnection::resetMenuAsksTwiceAndResets_data() {
    QTest::addColumn<bool>("yes");
    QTest::addRow("yes") << true;
    QTest::addRow("no") << false;
}

void TestConnection::resetMenuAsksTwiceAndResets() {
    QFETCH(bool, yes);
    receiver();
    Form_Velmora &main = Form_Velmora::instance();
    main.ConnectToYamaha(0);
    QTRY_VERIFY(received().contains(frame("20100")));
    m_received.clear();
    main.Menu_Setup_Log->setChecked(true);

    env->dialogs->answerMsgBox(MsgBoxResult::OK);
    env->dialogs->answerMsgBox(yes ? MsgBoxResult::Yes : MsgBoxResult::No);
    main.Menu_Reset_Click();
    QCOMPARE(env->dialogs->shown.size(), 2);
    const auto &first = env->dialogs->shown.at(0);
    QCOMPARE(first.prompt, QStringLiteral("Complete Reset only with 'Diagnostic Menu' !"));
    QCOMPARE(first.icon(), int(MsgBoxStyle::Information));
    const auto &second = env->dialogs->shown.at(1);
    QCOMPARE(second.prompt, QStringLiteral("Reset all Yamaha RS-232 settings ?"));
    QCOMPARE(second.title, QStringLiteral("Yamaha Reset"));
    QCOMPARE(second.buttons(), int(MsgBoxStyle::YesNo));
    QCOMPARE(second.icon(), int(MsgBoxStyle::Question));
    QCOMPARE(second.defaultButton(), int(MsgBoxStyle::DefaultButton2));
    if (!yes) {
        QTest::qWait(100);
        QCOMPARE(received(), QByteArray());
        return;
    }
    // The reset frame, then the receiver is switched on and asked for its configuration.
    QTRY_VERIFY(received().startsWith(QByteArray("\x13\x7f\x7f\x7f\x03")));
    QVERIFY(received().contains(frame("07A1D") + kRequest));
    QFile log(env->file(QStringLiteral("debug.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().startsWith("---> \x13\x7f\x7f\x7f\x03\r\n<--- \x12"));
}

void TestConnection::everyCatalogueCommandIsUnderstood() {
    receiver();
    QStringList notes;
    connect(sim.get(), &ReceiverSimulator::activity, [&](const QString &l) { notes << l; });
    Form_Com &com = Form_Com::instance();
    com.Com->setPortOpen(true);
    for (const CommandEntry &e : kCommandCatalogue) {
        notes.clear();
        m_received.clear();
        com.runCommand(e.id, nullptr);
        QTRY_VERIFY2(received().contains(frame(e.code)), e.name);
        QTest::qWait(5);
        QVERIFY2(!notes.join('\n').contains(QLatin1String("ignored")),
                 qPrintable(QString::fromLatin1(e.name) + ": " + notes.join(" | ")));
        com.ClearComPuffer();
        if (!sim->model().state().power) // after PowerOff, the rest needs a receiver that is on
            sim->control(QStringLiteral("power on"));
    }
}

void TestConnection::lostDeviceWaitsQuietlyAndComesBack() {
    // The port's device name stays; the terminal behind it is pulled and plugged in again.
    const QString device = env->file(QStringLiteral("ttyVelmora"));
    const auto plugIn = [&] {
        receiver();
        QFile::remove(device);
        QVERIFY(QFile::link(sim->devicePath(), device));
    };
    plugIn();
    qputenv("VELMORA_COM1", device.toLocal8Bit());
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    main.ConnectToYamaha(0);
    QTRY_VERIFY(sim->model().state().reportsEnabled);

    sim.reset();
    QFile::remove(device);
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("Comport Error"));
    QVERIFY(!Form_Com::instance().Com->PortOpen());
    QVERIFY(!main.Timer_Check->isActive());
    QCOMPARE(main.Menu_Connect->text(), QStringLiteral("Connect"));
    // Waiting costs nothing: no spinning on the dead line.
    const std::clock_t before = std::clock();
    QTest::qWait(2000);
    const double cpu = double(std::clock() - before) / CLOCKS_PER_SEC;
    QVERIFY2(cpu < 0.3, qPrintable(QString::number(cpu)));
    QCOMPARE(env->errors.calls.size(), 1);
    QCOMPARE(env->errors.calls.first().number, ErrNr::ComPortNotAvailable);

    plugIn();
    QTRY_COMPARE_WITH_TIMEOUT(main.Line1->text(), QStringLiteral("Reconnected"), 5000);
    QVERIFY(main.Timer_Check->isActive());
    QTRY_VERIFY(sim->model().state().reportsEnabled);
    QCOMPARE(env->errors.calls.size(), 1);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
