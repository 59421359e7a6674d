// The mini window: switching to it and back, its corners, the volume areas and bar, the
// function keys, dragging, and the pop-up menu, against the receiver simulator.
#include "app/CommandLine.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/Form_Mini.h"
#include "ui/ImageControl.h"
#include "ui/PictureBox.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class TestMini : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void miniNeedsAConnection();
    void switchesToTheMiniWindowAndBack();
    void startOptionsPlaceIt_data();
    void startOptionsPlaceIt();
    void startInMiniWithoutReceiverStaysInTheMainWindow();
    void popUpFollowsTheZoneMode();
    void zoneItemTwiceReturnsToTheFirstMode();
    void functionKeys_data();
    void functionKeys();
    void volumeAreasStepWhileHeld();
    void volumeBarFollowsTheMainZone();
    void dragMovesTheWindow();
    void powerItemAndModelItems();

private:
    Form_Velmora &connected(const QString &model = QStringLiteral("R0088"));
    QByteArray takeReceived() { return sim->takeReceived(); }
    void settle(int ms = 400) { QTest::qWait(ms); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestMini::init() {
    env = std::make_unique<TestEnvironment>();
}

void TestMini::cleanup() {
    env.reset();
    sim.reset();
}

Form_Velmora &TestMini::connected(const QString &model) {
    sim = std::make_unique<SimulatedReceiver>(model);
    return sim->connectMainWindow();
}

void TestMini::miniNeedsAConnection() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    QVERIFY(!main.Menu_Mini->isEnabled());
    main.Menu_Mini_Click();
    QCOMPARE(env->dialogs->shown.size(), 1);
    QCOMPARE(env->dialogs->last().prompt, QStringLiteral("Connect first !"));
    QCOMPARE(env->dialogs->last().buttons(), int(MsgBoxStyle::OKOnly));
    QVERIFY(main.isVisible());
    QVERIFY(!bMiniMode);
    QVERIFY(!Form_Mini::instance().isVisible());
}

void TestMini::switchesToTheMiniWindowAndBack() {
    Form_Velmora &main = connected();
    QVERIFY(main.Menu_Mini->isEnabled());
    main.Menu_Mini->trigger();
    Form_Mini &mini = Form_Mini::instance();
    QVERIFY(bMiniMode);
    QVERIFY(!main.isVisible());
    QVERIFY(mini.isVisible());
    QVERIFY(mini.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(mini.windowTitle(), QStringLiteral("Velmora"));
    mini.Timer_Fenster_Timer();
    QVERIFY(mini.windowFlags() & Qt::WindowStaysOnTopHint);

    // Minimising does not end mini mode; the close area does.
    mini.Label_Min_Click();
    QVERIFY(bMiniMode);
    QTest::mouseClick(mini.Label_Close, Qt::LeftButton);
    QVERIFY(!bMiniMode);
    QVERIFY(main.isVisible());
    QVERIFY(!mini.isVisible());
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestMini::startOptionsPlaceIt_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("corner");
    QTest::addRow("default") << "-M"
                             << "BR";
    QTest::addRow("top right") << "-TR -M"
                               << "TR";
    QTest::addRow("top left") << "-tl -m"
                              << "TL";
    QTest::addRow("bottom left") << "-M -BL"
                                 << "BL";
    QTest::addRow("later option wins") << "-BL -TR -M"
                                       << "BL";
}

void TestMini::startOptionsPlaceIt() {
    QFETCH(QString, line);
    QFETCH(QString, corner);
    sim = std::make_unique<SimulatedReceiver>();
    setCommand(line);
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    Form_Mini &mini = Form_Mini::instance();
    QVERIFY(mini.isVisible());
    QVERIFY(!main.isVisible());
    QVERIFY(bMiniMode);
    const QRect area = main.workArea();
    const QRect frame = mini.frameGeometry();
    if (corner.startsWith('T')) QCOMPARE(frame.top(), area.top());
    if (corner.startsWith('B')) QCOMPARE(frame.bottom(), area.bottom());
    if (corner.endsWith('L')) QCOMPARE(frame.left(), area.left());
    if (corner.endsWith('R')) QCOMPARE(frame.right(), area.right());
}

void TestMini::startInMiniWithoutReceiverStaysInTheMainWindow() {
    qputenv("VELMORA_COM1", "/nonexistent/velmora-port");
    setCommand(QStringLiteral("-M"));
    Form_Velmora &main = Form_Velmora::instance();
    env->dialogs->answerMsgBox(MsgBoxResult::OK);
    main.Show();
    QCOMPARE(main.Line1->text(), QStringLiteral("Comport Error"));
    QVERIFY(main.isVisible());
    QVERIFY(!bMiniMode);
    QVERIFY(!Form_Mini::instance().isVisible());
}

void TestMini::popUpFollowsTheZoneMode() {
    Form_Velmora &main = connected();
    main.Menu_Mode_Zone2_Click();
    main.Menu_Mini_Click();
    Form_Mini &mini = Form_Mini::instance();
    QVERIFY(!main.Menu_MiniPopUp_Zone2->isChecked());
    QTest::mouseClick(&mini, Qt::RightButton, {}, QPoint(60, 5));
    QVERIFY(main.Menu_MiniPopUp_Zone2->isChecked());
    QTRY_VERIFY(main.Menu_MiniPopUp->isVisible());
    main.Menu_MiniPopUp->close();
    // A right press on a volume area opens the same menu and steps nothing.
    QTest::mousePress(mini.Label_VolUp, Qt::RightButton);
    QTest::mouseRelease(mini.Label_VolUp, Qt::RightButton);
    QVERIFY(!main.Timer_RePressKey->isActive());
    QTRY_VERIFY(main.Menu_MiniPopUp->isVisible());
    main.Menu_MiniPopUp->close();

    main.Menu_MiniPopUp_Input(11)->trigger();
    settle();
    QCOMPARE(commandsIn(takeReceived()), QStringList{QStringLiteral("07AD2")});
    QCOMPARE(sim->model().state().zone2Input, 0x2);
    QCOMPARE(main.Line1->text(), QStringLiteral("ZONE2 TUNER"));
}

void TestMini::zoneItemTwiceReturnsToTheFirstMode() {
    Form_Velmora &main = connected();
    main.Menu_Mini_Click();
    QVERIFY(main.Opt_Input(8)->isChecked()); // main zone: DVD
    main.Line1->setText(QStringLiteral("kept"));
    main.Menu_MiniPopUp_Zone2->trigger();
    QVERIFY(main.Menu_Mode_Zone2->isChecked());
    QVERIFY(!main.Menu_Mode_Main->isChecked());
    QVERIFY(main.Opt_Input(12)->isChecked()); // zone 2: CD, from the kept block
    main.Menu_MiniPopUp_Zone2->trigger();
    QVERIFY(main.Menu_Mode_Main->isChecked());
    QVERIFY(main.Opt_Input(8)->isChecked());
    // Neither the status lines nor the frame caption moved.
    QCOMPARE(main.Line1->text(), QStringLiteral("kept"));
    QCOMPARE(main.Frame_Input->title(), QStringLiteral("Input"));
}

void TestMini::functionKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("zone2");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("line1");
    QTest::addRow("F4 recalls A") << int(Qt::Key_F4) << false << "07E75"
                                  << "Volume A";
    QTest::addRow("F9 recalls F") << int(Qt::Key_F9) << false << "07E7A"
                                  << "Volume F";
    QTest::addRow("F12 mutes the main zone") << int(Qt::Key_F12) << false << "07EA2"
                                             << "MUTE ON";
    QTest::addRow("F12 mutes zone 2") << int(Qt::Key_F12) << true << "07EA0"
                                      << "ZONE2 MUTE ON";
    QTest::addRow("F3 does nothing") << int(Qt::Key_F3) << false << ""
                                     << "kept";
}

void TestMini::functionKeys() {
    QFETCH(int, key);
    QFETCH(bool, zone2);
    QFETCH(QString, code);
    QFETCH(QString, line1);
    Form_Velmora &main = connected();
    if (zone2) main.Menu_MiniPopUp_Zone2->trigger();
    main.Menu_Mini_Click();
    main.Line1->setText(QStringLiteral("kept"));
    takeReceived();
    QTest::keyClick(&Form_Mini::instance(), Qt::Key(key));
    QTRY_COMPARE(main.Line1->text(), line1);
    settle();
    QCOMPARE(commandsIn(takeReceived()), code.isEmpty() ? QStringList() : QStringList{code});
}

void TestMini::volumeAreasStepWhileHeld() {
    Form_Velmora &main = connected();
    main.Menu_Mini_Click();
    Form_Mini &mini = Form_Mini::instance();
    const int start = sim->model().state().mainVolume;
    QTest::mousePress(mini.Label_VolUp, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sim->model().state().mainVolume >= start + 3, 5000);
    QTest::mouseRelease(mini.Label_VolUp, Qt::LeftButton);
    QVERIFY(!main.Timer_RePressKey->isActive());
    settle();
    const int reached = sim->model().state().mainVolume;
    settle();
    QCOMPARE(sim->model().state().mainVolume, reached);
    QTest::mousePress(mini.Label_VolDown, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sim->model().state().mainVolume <= reached - 2, 5000);
    QTest::mouseRelease(mini.Label_VolDown, Qt::LeftButton);
    QVERIFY(!main.Timer_RePressKey->isActive());
}

void TestMini::volumeBarFollowsTheMainZone() {
    Form_Velmora &main = connected();
    main.Menu_Mini_Click();
    Form_Mini &mini = Form_Mini::instance();
    QCOMPARE(miniVolumePicture(), mini.Pic_Vol);
    const QColor bar(255, 192, 255);
    sim->control(QStringLiteral("volume up 80")); // 0x77 + 80 = 0xC7: 0 dB
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("VOLUME 0dB"));
    const int width = mini.Pic_Vol->width();
    const int end = 199 * width / 210;
    QCOMPARE(mini.Pic_Vol->image().pixelColor(end - 1, 5), bar);
    QVERIFY(mini.Pic_Vol->image().pixelColor(end + 1, 5) != bar);
    // Zone 2 is not drawn.
    sim->control(QStringLiteral("zone2 volume down 40"));
    QTRY_VERIFY(main.Line1->text().startsWith(QStringLiteral("ZONE2 VOL.")));
    QCOMPARE(mini.Pic_Vol->image().pixelColor(end - 1, 5), bar);
}

void TestMini::dragMovesTheWindow() {
    Form_Mini &mini = Form_Mini::instance();
    mini.show();
    mini.move(200, 200);
    const QPoint before = mini.pos();
    mini.Form_MouseDown(1, 0, 50, 20);
    mini.Form_MouseMove(1, 0, 62, 27);
    QCOMPARE(mini.pos(), before + QPoint(12, 7));
    // Without the left button the pointer moves alone.
    mini.Form_MouseMove(0, 0, 90, 30);
    QCOMPARE(mini.pos(), before + QPoint(12, 7));
}

void TestMini::powerItemAndModelItems() {
    Form_Velmora &main = connected(QStringLiteral("R0073"));
    QVERIFY(!main.Menu_MiniPopUp_Input(14)->isVisible());
    QCOMPARE(main.Menu_MiniPopUp_Input(14)->text(), QStringLiteral("CDR"));
    QVERIFY(main.Menu_MiniPopUp_Input(13)->isVisible());
    main.Menu_MiniPopUp_POWER->trigger();
    QTRY_VERIFY(!sim->model().state().power);
    settle();
    QVERIFY(commandsIn(takeReceived()).contains(QStringLiteral("07A1E")));
}

QTEST_MAIN(TestMini)
#include "tst_mini.moc"
