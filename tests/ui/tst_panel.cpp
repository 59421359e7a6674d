// The main window as the live picture of the receiver: flap and window height, the control
// panel's commands, reports and configuration blocks moving the panel without echo, the
// volume keys, against the receiver simulator on a real pseudo-terminal.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "link/Form_Com.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/ImageControl.h"
#include "ui/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {
const QChar kBlock(0x2588);

// The frames the receiver was sent, without the configuration requests.
// Leaves no button of a group selected, as before the first report.
template <class Array>
void clearGroup(const Array &array) {
    for (QRadioButton *b : array)
        if (b) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
}

} // namespace

class TestPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void flapOpensAndClosesByTheHeightRules();
    void flapInZone2ModeShowsTheEmptyFrame();
    void flapInAMaximizedWindowKeepsTheHeight();
    void narrowWindowPinsTheControlsLeft();
    void winampLabelCoversBothStatusLines();

    void clickOnAnInputSendsItsCodeAndTheReportSelectsIt();
    void zone2InputClickAndReport();
    void panelClicksSendTheirCommands_data();
    void panelClicksSendTheirCommands();
    void receiverChangesMoveThePanelWithoutEcho_data();
    void receiverChangesMoveThePanelWithoutEcho();
    void stepButtons_data();
    void stepButtons();
    void model73HidesItsMissingItems();
    void standbyButton_data();
    void standbyButton();
    void configurationBlockMovesThePanel();
    void zoneSwitchShowsTheOtherZonesInput();

    void reportsOnTheStatusLines_data();
    void reportsOnTheStatusLines();
    void headphonesAndSixChannelLockTheirButtons();
    void rs232TestIsSentBack();

    void volumeReportShowsLevelBarMiniBarAndAddIns();
    void pressAndHoldStepsUntilRelease();
    void rightButtonMutesWithoutRepeating_data();
    void rightButtonMutesWithoutRepeating();
    void volumeMemories();
    void keyboardReachesAndPressesTheKeys_data();
    void keyboardReachesAndPressesTheKeys();
    void keyboardSelectsInThePanel();

private:
    Form_Velmora &connected(const QString &model = QStringLiteral("R0088"), bool standby = false);
    // Bytes the receiver got since the last call.
    QByteArray takeReceived() { return sim->takeReceived(); }
    // Lets the program poll until the simulator has nothing more to say.
    void settle(int ms = 400) { QTest::qWait(ms); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestPanel::init() {
    env = std::make_unique<TestEnvironment>();
}

void TestPanel::cleanup() {
    env.reset();
    sim.reset();
}

Form_Velmora &TestPanel::connected(const QString &model, bool standby) {
    sim = std::make_unique<SimulatedReceiver>(model, standby);
    return sim->connectMainWindow();
}

void TestPanel::flapOpensAndClosesByTheHeightRules() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.Load();
    // Started shut: the window ends just below the web address.
    QVERIFY(!main.Frame_Input->isVisible());
    const int closed = main.picControls->y() + main.lblQuenby->y() + main.lblQuenby->height() + 60;
    QCOMPARE(main.frameGeometry().height(), closed);

    main.Image_Klappe_Click();
    QVERIFY(main.Frame_Input->isVisible());
    QVERIFY(main.Frame_DSP->isVisible());
    QVERIFY(main.Frame_InputMode->isVisible());
    QVERIFY(!main.Frame_Leer1->isVisible());
    const int open = main.picControls->y() + main.picControls->height() + 60;
    QCOMPARE(main.frameGeometry().height(), open);

    // A window the user made taller keeps its height on opening; closing always applies the rule.
    main.Image_Klappe_Click();
    QCOMPARE(main.frameGeometry().height(), closed);
    main.resize(main.width(), main.height() + (open - closed) + 100);
    const int taller = main.frameGeometry().height();
    QVERIFY(taller > open);
    main.Image_Klappe_Click();
    QCOMPARE(main.frameGeometry().height(), taller);
    main.Image_Klappe_Click();
    QCOMPARE(main.frameGeometry().height(), closed);
    for (QGroupBox *f :
         {main.Frame_Input, main.Frame_DSP, main.Frame_SpeakersA, main.Frame_SpeakersB,
          main.Frame_61ES, main.Frame_6ChInput, main.Frame_InputMode, main.Frame_Leer1})
        QVERIFY2(!f->isVisible(), qPrintable(f->objectName()));
    main.SetKlappe(3); // no direction: nothing
    QVERIFY(!main.Frame_Input->isVisible());
}

void TestPanel::flapInZone2ModeShowsTheEmptyFrame() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.Load();
    main.Menu_Mode_Zone2_Click();
    QCOMPARE(main.Frame_Input->title(), QStringLiteral("Rec Out"));
    QCOMPARE(main.Line1->text(), QStringLiteral("Mode Zone 2"));
    QCOMPARE(main.Line2->text(), QString());
    QVERIFY(!main.Frame_Leer1->isVisible()); // flap still shut
    main.SetKlappe(1);
    for (QGroupBox *f : {main.Frame_Input, main.Frame_DSP, main.Frame_SpeakersA,
                         main.Frame_SpeakersB, main.Frame_Leer1})
        QVERIFY2(f->isVisible(), qPrintable(f->objectName()));
    for (QGroupBox *f : {main.Frame_61ES, main.Frame_6ChInput, main.Frame_InputMode})
        QVERIFY2(!f->isVisible(), qPrintable(f->objectName()));
    main.Menu_Mode_Main_Click();
    QCOMPARE(main.Frame_Input->title(), QStringLiteral("Input"));
    QCOMPARE(main.Line1->text(), QStringLiteral("Mode Main/Master"));
    QVERIFY(main.Frame_InputMode->isVisible());
    QVERIFY(!main.Frame_Leer1->isVisible());
    QVERIFY(main.Menu_Mode_Main->isChecked());
    QVERIFY(!main.Menu_Mode_Zone2->isChecked());
}

void TestPanel::flapInAMaximizedWindowKeepsTheHeight() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.Load();
    main.showMaximized();
    QTRY_VERIFY(main.windowState() & Qt::WindowMaximized);
    const int height = main.frameGeometry().height();
    main.SetKlappe(1);
    QVERIFY(main.Frame_Input->isVisible());
    QCOMPARE(main.frameGeometry().height(), height);
    main.SetKlappe(2);
    QVERIFY(!main.Frame_Input->isVisible());
    QCOMPARE(main.frameGeometry().height(), height);
}

void TestPanel::narrowWindowPinsTheControlsLeft() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.Load();
    main.resize(main.picControls->width() + 200, main.height());
    QTRY_COMPARE(main.picControls->x(), 100);
    main.resize(300, main.height());
    QTRY_COMPARE(main.picControls->x(), 0);
}

void TestPanel::winampLabelCoversBothStatusLines() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.resize(main.width() + 10, main.height());
    const QRect lines = main.Line1->geometry().united(main.Line2->geometry());
    QCOMPARE(main.lblWinAmp->geometry().top(), lines.top());
    QCOMPARE(main.lblWinAmp->geometry().bottom(), lines.bottom());
    QCOMPARE(main.lblWinAmp->geometry().left(), main.Line1->geometry().left());
}

void TestPanel::clickOnAnInputSendsItsCodeAndTheReportSelectsIt() {
    Form_Velmora &main = connected();
    main.SetKlappe(1);
    // The receiver starts on DVD; move it elsewhere first.
    sim->control(QStringLiteral("input TUNER"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT TUNER"));
    QVERIFY(main.Opt_Input(11)->isChecked());
    takeReceived();

    QTest::mouseClick(main.Opt_Input(8), Qt::LeftButton);
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT DVD"));
    QVERIFY(main.Opt_Input(8)->isChecked());
    QCOMPARE(main.Line2->text(), QString());
    settle();
    // The click sent the code once; the report that came back sent nothing.
    QCOMPARE(commandsIn(takeReceived()), QStringList{QStringLiteral("07AC1")});
    QCOMPARE(sim->model().state().mainInput, 0x5);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestPanel::zone2InputClickAndReport() {
    Form_Velmora &main = connected();
    main.SetKlappe(1);
    main.Menu_Mode_Zone2_Click();
    // The kept block shows zone 2's input (CD) instead of the main zone's (DVD).
    QVERIFY(main.Opt_Input(12)->isChecked());
    takeReceived();

    QTest::mouseClick(main.Opt_Input(11), Qt::LeftButton);
    QCOMPARE(main.Line1->text(), QStringLiteral("ZONE2 TUNER"));
    settle();
    QCOMPARE(commandsIn(takeReceived()), QStringList{QStringLiteral("07AD2")});
    QCOMPARE(sim->model().state().zone2Input, 0x2);

    // A zone-2 change on the receiver is shown as such while the window works on zone 2.
    sim->control(QStringLiteral("zone2 input PHONO"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("ZONE2 PHONO"));
    QVERIFY(main.Opt_Input(13)->isChecked());
    settle();
    QCOMPARE(takeReceived(), QByteArray());

    // On the main zone the same report changes nothing.
    main.Menu_Mode_Main_Click();
    main.Line1->setText(QStringLiteral("kept"));
    sim->control(QStringLiteral("zone2 input MD"));
    settle();
    QCOMPARE(main.Line1->text(), QStringLiteral("kept"));
}

void TestPanel::panelClicksSendTheirCommands_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("code");
    QTest::addRow("speakers A off") << "A" << 0 << "07EAC";
    QTest::addRow("speakers B on") << "B" << 1 << "07EAD";
    QTest::addRow("6.1/ES on") << "ES" << 1 << "07EB8";
    QTest::addRow("6 ch on") << "6CH" << 1 << "07EA4";
    QTest::addRow("input mode DTS") << "MODE" << 5 << "07EA8";
    QTest::addRow("input mode digital") << "MODE" << 2 << "07EA9";
    QTest::addRow("dsp effect off") << "DSP" << 0 << "07EE0";
    QTest::addRow("dsp Tokyo") << "DSP" << 7 << "07EE7";
    QTest::addRow("dsp 8 ch stereo") << "DSP" << 31 << "07EFF";
    QTest::addRow("input CD-R") << "IN" << 14 << "07A19";
}

void TestPanel::panelClicksSendTheirCommands() {
    QFETCH(QString, group);
    QFETCH(int, index);
    QFETCH(QString, code);
    Form_Velmora &main = connected();
    main.SetKlappe(1);
    QRadioButton *button = group == "A"      ? main.Opt_SpeakersA(index)
                           : group == "B"    ? main.Opt_SpeakersB(index)
                           : group == "ES"   ? main.Opt_61ES(index)
                           : group == "6CH"  ? main.Opt_6ChInput(index)
                           : group == "MODE" ? main.Opt_InputMode(index)
                           : group == "DSP"  ? main.Opt_Dsp(index)
                                             : main.Opt_Input(index);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    const QStringList sent = commandsIn(takeReceived());
    QVERIFY2(!sent.isEmpty(), "nothing sent");
    QCOMPARE(sent.first(), code);
    // Only the click's own code: the receiver's report does not bring a second one.
    QCOMPARE(sent.size(), 1);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestPanel::receiverChangesMoveThePanelWithoutEcho_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addRow("dsp Tokyo") << "dsp 7"
                               << "DSP" << 7 << "CHURCH"
                               << "Tokyo";
    QTest::addRow("dsp effect off") << "dsp 0"
                                    << "DSP" << 0 << "EFFECT OFF"
                                    << "";
    QTest::addRow("speakers B on") << "speakers b on"
                                   << "B" << 1 << ""
                                   << "";
    QTest::addRow("speakers A off") << "speakers a off"
                                    << "A" << 0 << ""
                                    << "";
    QTest::addRow("6.1/ES on") << "remote 07EB8"
                               << "ES" << 1 << ""
                               << "";
    QTest::addRow("input mode DTS") << "panel 07EA8"
                                    << "MODE" << 5 << "INPUT DVD"
                                    << "DTS";
    QTest::addRow("input CD") << "input CD"
                              << "IN" << 12 << "INPUT CD"
                              << "";
    QTest::addRow("input V-AUX") << "input V-AUX"
                                 << "IN" << 7 << "INPUT V-AUX"
                                 << "";
}

void TestPanel::receiverChangesMoveThePanelWithoutEcho() {
    QFETCH(QString, control);
    QFETCH(QString, group);
    QFETCH(int, index);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    Form_Velmora &main = connected();
    main.SetKlappe(1);
    main.Line1->setText(QStringLiteral("before"));
    sim->control(control);
    QRadioButton *button = group == "A"      ? main.Opt_SpeakersA(index)
                           : group == "B"    ? main.Opt_SpeakersB(index)
                           : group == "ES"   ? main.Opt_61ES(index)
                           : group == "MODE" ? main.Opt_InputMode(index)
                           : group == "DSP"  ? main.Opt_Dsp(index)
                                             : main.Opt_Input(index);
    QTRY_VERIFY(button->isChecked());
    if (!line1.isEmpty()) {
        QTRY_COMPARE(main.Line1->text(), line1);
        QCOMPARE(main.Line2->text(), line2);
    }
    settle();
    QCOMPARE(takeReceived(), QByteArray());
    QCOMPARE(main.bReceiverUpdate, qint16(0));
}

void TestPanel::stepButtons_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("zone2");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("code");
    QTest::addRow("nothing selected, up") << 0 << true << false << 1 << "07A17";
    QTest::addRow("nothing selected, down") << 0 << false << false << 1 << "07A17";
    QTest::addRow("nothing selected, zone 2") << 0 << true << true << 1 << "07AD5";
    QTest::addRow("PHONO up") << 13 << true << false << 1 << "07A17";
    QTest::addRow("LD down") << 1 << false << false << 13 << "07A14";
    QTest::addRow("CD-R up") << 14 << true << false << 1 << "07A17";
    QTest::addRow("CD-R down") << 14 << false << false << 1 << "07A17";
    QTest::addRow("DVD up") << 8 << true << false << 9 << "07AC9";
    QTest::addRow("DVD down") << 8 << false << false << 7 << "07A55";
}

void TestPanel::stepButtons() {
    QFETCH(int, from);
    QFETCH(bool, up);
    QFETCH(bool, zone2);
    QFETCH(int, to);
    QFETCH(QString, code);
    Form_Velmora &main = connected();
    main.SetKlappe(1);
    if (zone2) main.Menu_Mode_Zone2_Click();
    clearGroup(main.Opt_Input);
    if (from) {
        main.bReceiverUpdate = 1;
        main.Opt_Input(from)->setChecked(true);
        main.bReceiverUpdate = 0;
    }
    takeReceived();
    QTest::mouseClick(up ? main.Image_InputUP : main.Image_InputDown, Qt::LeftButton);
    QVERIFY(main.Opt_Input(to)->isChecked());
    settle();
    QCOMPARE(commandsIn(takeReceived()), QStringList{code});
}

void TestPanel::model73HidesItsMissingItems() {
    Form_Velmora &main = connected(QStringLiteral("R0073"));
    main.SetKlappe(1);
    QVERIFY(!main.Opt_Input(14)->isVisible());
    QVERIFY(!main.Opt_Dsp(31)->isVisible());
    QVERIFY(main.Opt_Input(13)->isVisible());
    QVERIFY(main.Opt_Dsp(30)->isVisible());
    // Another model afterwards does not bring them back.
    main.SetInputButtonVisible(QStringLiteral("R0088"));
    QVERIFY(!main.Opt_Input(14)->isVisible());
}

void TestPanel::standbyButton_data() {
    QTest::addColumn<bool>("standby");
    QTest::addColumn<QString>("code");
    QTest::addRow("in standby: power on") << true << "07A1D";
    QTest::addRow("on: power off") << false << "07A1E";
}

void TestPanel::standbyButton() {
    QFETCH(bool, standby);
    QFETCH(QString, code);
    Form_Velmora &main = connected(QStringLiteral("R0088"), standby);
    main.SetKlappe(1);
    clearGroup(main.Opt_Input);
    QTest::mouseClick(main.Label_Standby, Qt::LeftButton);
    QTRY_COMPARE(sim->model().state().power, standby);
    settle();
    const QStringList sent = commandsIn(takeReceived());
    QVERIFY2(sent.contains(code), qPrintable(sent.join(',')));
    QVERIFY(!sent.contains(standby ? QStringLiteral("07A1E") : QStringLiteral("07A1D")));
    if (standby) {
        // The state of the freshly powered receiver is on the panel: its input is DVD.
        QVERIFY(main.Opt_Input(8)->isChecked());
        QVERIFY(main.stSettings.size() > 14);
    }
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestPanel::configurationBlockMovesThePanel() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    main.Load();
    // Data block: input TAPE (3), six-channel off, mode DTS (2), zone 2 TUNER (2), program
    // Arena (12) with the effect on, 6.1/ES on, speakers A off and B on, headphones in.
    const QString data = QStringLiteral("1030202") + QStringLiteral("00000") +
                         QStringLiteral("1211") + QStringLiteral("000000") + QStringLiteral("01") +
                         QStringLiteral("00000") + QStringLiteral("1");
    QCOMPARE(data.size(), 30);
    main.SetYamahaSettings(QChar(0x12) + QStringLiteral("R00881") +
                           QString::number(data.size(), 16).toUpper() + data + QChar(0x03));
    main.SetSettings();
    QVERIFY(main.Opt_Input(10)->isChecked());
    QVERIFY(main.Opt_InputMode(5)->isChecked());
    QVERIFY(main.Opt_Dsp(15)->isChecked());
    QVERIFY(main.Opt_61ES(1)->isChecked());
    QVERIFY(main.Opt_6ChInput(0)->isChecked());
    QVERIFY(main.Opt_SpeakersA(0)->isChecked());
    QVERIFY(main.Opt_SpeakersB(1)->isChecked());
    QVERIFY(!main.Opt_SpeakersA(0)->isEnabled());
    QVERIFY(!main.Opt_SpeakersB(1)->isEnabled());
    QCOMPARE(main.bReceiverUpdate, qint16(0));
    // Nothing was sent: the port is not even open.
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));

    // Input mode 5 locks the mode buttons; a rejected block changes nothing.
    QString locked = data;
    locked[4] = QLatin1Char('5');
    locked[29] = QLatin1Char('0');
    main.SetYamahaSettings(QChar(0x12) + QStringLiteral("R00881") + QStringLiteral("1E") + locked +
                           QChar(0x03));
    main.SetSettings();
    QVERIFY(main.Opt_InputMode(1)->isChecked());
    for (int i = 1; i <= 5; ++i)
        QVERIFY(!main.Opt_InputMode(i)->isEnabled());
    QVERIFY(main.Opt_SpeakersA(0)->isEnabled());
    main.SetYamahaSettings(QChar(0x12) + QStringLiteral("R0088102") + data + QChar(0x03));
    main.SetSettings();
    QVERIFY(main.Opt_InputMode(1)->isChecked());
    QVERIFY(!main.Opt_InputMode(1)->isEnabled());
}

void TestPanel::zoneSwitchShowsTheOtherZonesInput() {
    Form_Velmora &main = connected();
    QVERIFY(main.Opt_Input(8)->isChecked()); // main zone: DVD
    main.Menu_Mode_Zone2_Click();
    QVERIFY(main.Opt_Input(12)->isChecked()); // zone 2: CD
    main.Menu_Mode_Main_Click();
    QVERIFY(main.Opt_Input(8)->isChecked());
    settle();
    // Switching the view asks the receiver nothing and tells it nothing.
    QCOMPARE(takeReceived(), QByteArray());
}

void TestPanel::reportsOnTheStatusLines_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addRow("mute on") << "mute on"
                             << "MUTE ON"
                             << "";
    QTest::addRow("zone 2 mute on") << "zone2 mute on"
                                    << "ZONE2 MUTE ON"
                                    << "";
    QTest::addRow("sleep 90") << "sleep 90"
                              << "SLEEP 90min."
                              << "";
    QTest::addRow("warning DC") << "warning 1"
                                << "Warning"
                                << "DC";
    QTest::addRow("headphones in") << "headphones in"
                                   << "Head Phone"
                                   << "ON";
    QTest::addRow("power off") << "power off"
                               << "POWER OFF"
                               << "";
    QTest::addRow("main volume") << "volume down 2"
                                 << "VOLUME -41.0dB"
                                 << QString(12, kBlock) + QStringLiteral("--------");
    QTest::addRow("zone 2 volume")
        << "zone2 volume up"
        << "ZONE2 VOL. -9dB" << QString(18, kBlock) + QStringLiteral("--");
}

void TestPanel::reportsOnTheStatusLines() {
    QFETCH(QString, control);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    Form_Velmora &main = connected();
    sim->control(control);
    QTRY_COMPARE(main.Line1->text(), line1);
    QCOMPARE(main.Line2->text(), line2);
    if (control == QLatin1String("mute on")) QVERIFY(main.Menu_Volume_Mute->isChecked());
    if (control == QLatin1String("zone2 mute on")) QVERIFY(main.Menu_Volume_MuteZone2->isChecked());
    settle();
    QCOMPARE(takeReceived(), QByteArray());
}

void TestPanel::headphonesAndSixChannelLockTheirButtons() {
    Form_Velmora &main = connected();
    sim->control(QStringLiteral("headphones in"));
    QTRY_VERIFY(!main.Opt_SpeakersA(1)->isEnabled());
    QVERIFY(!main.Opt_SpeakersB(0)->isEnabled());
    sim->control(QStringLiteral("headphones out"));
    QTRY_VERIFY(main.Opt_SpeakersA(1)->isEnabled());

    sim->control(QStringLiteral("panel 07EA4")); // six-channel input on
    QTRY_VERIFY(main.Opt_6ChInput(1)->isChecked());
    QCOMPARE(main.Line2->text(), QStringLiteral("6CH INPUT"));
    QVERIFY(!main.Opt_Dsp(5)->isEnabled());
    QVERIFY(!main.Opt_InputMode(1)->isEnabled());
    QVERIFY(!main.Opt_61ES(0)->isEnabled());
    // Another input keeps the six channels; their end lifts the lock.
    sim->control(QStringLiteral("input CD"));
    QTRY_VERIFY(main.Opt_Input(12)->isChecked());
    QVERIFY(!main.Opt_Dsp(5)->isEnabled());
    sim->control(QStringLiteral("panel 07EA5"));
    QTRY_VERIFY(main.Opt_Dsp(5)->isEnabled());
    QVERIFY(main.Opt_6ChInput(0)->isChecked());
    QVERIFY(main.Opt_InputMode(3)->isEnabled());
    QVERIFY(main.Opt_61ES(1)->isEnabled());
    settle();
    QCOMPARE(takeReceived(), QByteArray());
}

void TestPanel::rs232TestIsSentBack() {
    Form_Velmora &main = connected();
    sim->control(QStringLiteral("test 1"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("RS232 TEST"));
    QCOMPARE(main.Line2->text(), QString());
    settle();
    QCOMPARE(commandsIn(takeReceived()), QStringList{QStringLiteral("2F001")});
}

void TestPanel::volumeReportShowsLevelBarMiniBarAndAddIns() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    PictureBox picture;
    picture.resize(105, 10);
    setMiniVolumePicture(&picture);
    clsAddIn addIn(QStringLiteral("V"));
    QList<float> levels;
    connect(&addIn, &clsAddIn::VolumeMain, [&](float v) { levels << v; });
    connect(&addIn, &clsAddIn::VolumeZone2, [&](float v) { levels << 1000 + v; });
    gAddIns = std::make_unique<clsAddIns>();
    gAddIns->Add(&addIn);

    main.DisplayVolume(QStringLiteral("\x02"
                                      "0026C7\x03"));
    QCOMPARE(main.Line1->text(), QStringLiteral("VOLUME 0dB"));
    QCOMPARE(main.Line2->text(), QString(20, kBlock));
    // v = 199 of 210 on a 105-pixel picture: 99 pixels of bar, the rest cleared.
    QCOMPARE(picture.image().pixelColor(98, 5), QColor(255, 192, 255));
    QVERIFY(picture.image().pixelColor(100, 5) != QColor(255, 192, 255));

    // The same level again: nothing redrawn, nobody told.
    picture.Cls();
    main.Line2->setText(QStringLiteral("other"));
    main.DisplayVolume(QStringLiteral("\x02"
                                      "1026C7\x03"));
    QCOMPARE(main.Line2->text(), QStringLiteral("other"));
    QVERIFY(picture.image().pixelColor(10, 5) != QColor(255, 192, 255));

    main.DisplayVolume(QStringLiteral("\x02"
                                      "002700\x03"));
    QCOMPARE(main.Line1->text(), QStringLiteral("ZONE2 VOL. -80.0dB"));
    QCOMPARE(main.Line2->text(), QString(4, kBlock) + QString(16, QLatin1Char('-')));
    main.DisplayVolume(QStringLiteral("\x02"
                                      "002700\x03")); // zone 2 repeats are shown again
    main.DisplayVolume(QString());
    main.DisplayVolume(QStringLiteral("\x02"
                                      "002C01\x03"));
    QCOMPARE(main.Line1->text(), QStringLiteral("ZONE2 VOL. -80.0dB"));
    QCOMPARE(levels, (QList<float>{0.0f, 1000 - 80.0f, 1000 - 80.0f}));
    gAddIns->Remove(QStringLiteral("V"));
    setMiniVolumePicture(nullptr);
}

void TestPanel::pressAndHoldStepsUntilRelease() {
    Form_Velmora &main = connected();
    const int start = sim->model().state().mainVolume;
    QTest::mousePress(main.Image_VolUP, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sim->model().state().mainVolume >= start + 5, 5000);
    QTest::mouseRelease(main.Image_VolUP, Qt::LeftButton);
    QVERIFY(!main.Timer_RePressKey->isActive());
    settle();
    const int reached = sim->model().state().mainVolume;
    // The display follows the receiver's answer to the last step.
    const double dB = (reached - 199) / 2.0;
    QVERIFY2(main.Line1->text().startsWith(QStringLiteral("VOLUME ")),
             qPrintable(main.Line1->text()));
    QCOMPARE(main.Line1->text().mid(7).chopped(2).toDouble(), dB);
    settle();
    QCOMPARE(sim->model().state().mainVolume, reached);
    const QStringList sent = commandsIn(takeReceived());
    QCOMPARE(sent.size(), reached - start);
    QVERIFY(std::all_of(sent.begin(), sent.end(),
                        [](const QString &c) { return c == QLatin1String("07A1A"); }));

    // Zone 2 steps down with the other key.
    main.Menu_Mode_Zone2_Click();
    const int zone2 = sim->model().state().zone2Volume;
    QTest::mousePress(main.Image_VolDOWN, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sim->model().state().zone2Volume <= zone2 - 2, 5000);
    QTest::mouseRelease(main.Image_VolDOWN, Qt::LeftButton);
    settle();
    QVERIFY(main.Line1->text().startsWith(QStringLiteral("ZONE2 VOL. ")));
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestPanel::rightButtonMutesWithoutRepeating_data() {
    QTest::addColumn<bool>("zone2");
    QTest::addColumn<bool>("up");
    QTest::addRow("main zone, volume +") << false << true;
    QTest::addRow("main zone, volume -") << false << false;
    QTest::addRow("zone 2") << true << true;
}

void TestPanel::rightButtonMutesWithoutRepeating() {
    QFETCH(bool, zone2);
    QFETCH(bool, up);
    Form_Velmora &main = connected();
    if (zone2) main.Menu_Mode_Zone2_Click();
    ImageControl *key = up ? main.Image_VolUP : main.Image_VolDOWN;
    QTest::mousePress(key, Qt::RightButton);
    QVERIFY(!main.Timer_RePressKey->isActive());
    QTest::mouseRelease(key, Qt::RightButton);
    QAction *mark = zone2 ? main.Menu_Volume_MuteZone2 : main.Menu_Volume_Mute;
    // The check mark follows the receiver's report.
    QTRY_VERIFY(mark->isChecked());
    QCOMPARE(main.Line1->text(),
             zone2 ? QStringLiteral("ZONE2 MUTE ON") : QStringLiteral("MUTE ON"));
    main.Mute(0);
    QTRY_VERIFY(!mark->isChecked());
    settle();
    QCOMPARE(commandsIn(takeReceived()),
             zone2 ? (QStringList{"07EA0", "07EA1"}) : (QStringList{"07EA2", "07EA3"}));
    main.Mute(3);
    settle();
    QCOMPARE(takeReceived(), QByteArray());
}

void TestPanel::volumeMemories() {
    Form_Velmora &main = connected();
    main.Menu_Volume_Save(2)->trigger();
    QCOMPARE(main.Line1->text(), QStringLiteral("Save Volume B"));
    QCOMPARE(main.Line2->text(), QString());
    sim->control(QStringLiteral("volume up 4"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("VOLUME -38.0dB"));
    main.Menu_Volume_Load(2)->trigger();
    QCOMPARE(main.Line1->text(), QStringLiteral("Volume B"));
    QCOMPARE(main.Line2->text(), QString());
    QTRY_COMPARE(sim->model().state().mainVolume, 0x77);
    settle();
    const QStringList sent = commandsIn(takeReceived());
    QCOMPARE(sent, (QStringList{"07E6C", "07E76"}));
    QCOMPARE(main.Menu_Volume_Load(6)->shortcut(), QKeySequence(Qt::Key_F9));
    QCOMPARE(main.Menu_Volume_Load(1)->text(), QStringLiteral("A   "));
}

void TestPanel::keyboardReachesAndPressesTheKeys_data() {
    QTest::addColumn<int>("tabs"); // from the standby key; negative for Shift+Tab
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("press");
    QTest::addColumn<QString>("code"); // sent once, or stepped while held for a volume key
    QTest::addRow("Enter on standby") << 0 << "Label_Standby" << int(Qt::Key_Return) << "07A1E";
    QTest::addRow("Space held on volume up") << 2 << "Image_VolUP" << int(Qt::Key_Space) << "07A1A";
    QTest::addRow("Space on input down") << 5 << "Image_InputDown" << int(Qt::Key_Space) << "07A55";
    QTest::addRow("keypad Enter on input up")
        << 6 << "Image_InputUP" << int(Qt::Key_Enter) << "07AC9";
    QTest::addRow("Shift+Tab to the flap, Space")
        << -1 << "Image_Klappe" << int(Qt::Key_Space) << "";
}

void TestPanel::keyboardReachesAndPressesTheKeys() {
    QFETCH(int, tabs);
    QFETCH(QString, key);
    QFETCH(int, press);
    QFETCH(QString, code);
    Form_Velmora &main = connected();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.Label_Standby->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < std::abs(tabs); ++i)
        QTest::keyClick(QApplication::focusWidget(), tabs > 0 ? Qt::Key_Tab : Qt::Key_Backtab);
    QWidget *focused = QApplication::focusWidget();
    QCOMPARE(focused->objectName(), key);
    takeReceived();

    // Held for a while, with the keyboard's own repeat in between: still one press.
    const bool volume = code == QLatin1String("07A1A");
    QTest::keyPress(focused, Qt::Key(press));
    QTest::qWait(300);
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent repeat(type, press, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(focused, &repeat);
    }
    QCOMPARE(main.Timer_RePressKey->isActive(), volume);
    QTest::keyRelease(focused, Qt::Key(press));
    QVERIFY(!main.Timer_RePressKey->isActive());
    settle();
    const QStringList sent = commandsIn(takeReceived());
    if (volume)
        QVERIFY2(sent.size() > 1 && sent.count(code) == sent.size(), qPrintable(sent.join(',')));
    else
        QCOMPARE(sent, code.isEmpty() ? QStringList() : QStringList{code});
    if (code.isEmpty()) QVERIFY(main.Frame_Input->isVisible());
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestPanel::keyboardSelectsInThePanel() {
    Form_Velmora &main = connected();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // The window starts on the flap button, where Space opens the panel and sends nothing.
    QCOMPARE(QApplication::focusWidget(), main.Image_Klappe);
    takeReceived();
    QTest::keyClick(main.Image_Klappe, Qt::Key_Space);
    QTRY_VERIFY(main.Frame_Input->isVisible());
    // Tab goes on to the first input; Space selects it, an arrow key the next one.
    QTest::keyClick(main.Image_Klappe, Qt::Key_Tab);
    auto *first = qobject_cast<QRadioButton *>(QApplication::focusWidget());
    QVERIFY(first && first->parent() == main.Frame_Input && !first->isChecked());
    QTest::keyClick(first, Qt::Key_Space);
    QVERIFY(first->isChecked());
    QTest::keyClick(first, Qt::Key_Down);
    QVERIFY(!first->isChecked());
    settle();
    const QStringList sent = commandsIn(takeReceived());
    QVERIFY2(sent.size() == 2 && sent[0] != sent[1], qPrintable(sent.join(',')));
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
