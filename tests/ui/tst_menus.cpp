// The menu tree: order, captions, keys and starting states, the items that follow the
// connection, the sleep timer and the display message, against the receiver simulator.
#include "app/Form_Velmora.h"
#include "link/Form_Com.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

QStringList captions(const QList<QAction *> &actions) {
    QStringList out;
    for (const QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

class TestMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void menuTreeInDisplayOrder();
    void itemsFollowTheConnection();
    void sleepItemsSendTheirCodes_data();
    void sleepItemsSendTheirCodes();
    void displayMessage_data();
    void displayMessage();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestMenus::init() {
    env = std::make_unique<TestEnvironment>();
    sim = std::make_unique<SimulatedReceiver>();
}

void TestMenus::cleanup() {
    env.reset();
    sim.reset();
}

void TestMenus::menuTreeInDisplayOrder() {
    Form_Velmora &main = Form_Velmora::instance();
    QCOMPARE(captions(main.menuBar()->actions()),
             (QStringList{"&Connect", "&Setup", "&Reset", "&TimeControl", "&Mode", "S&leepTimer",
                          "&Volume", "M&ini", "E&xtras", "&AddIn", "&End", "&?"}));
    QCOMPARE(captions(main.Menu_ZS->actions()), (QStringList{"Activated", "-", "Config"}));
    QCOMPARE(captions(main.Menu_Mode->actions()), (QStringList{"Zone2", "Main/Master"}));
    QCOMPARE(captions(main.Menu_Sleep->actions()),
             (QStringList{"Off", "120 min", "90 min", "60 min", "30 min"}));
    QCOMPARE(captions(main.Menu_Volume->actions()),
             (QStringList{"Mute", "Mute Zone2", "-", "Save", "-", "Load"}));
    QCOMPARE(captions(main.Menu_Extras->actions()),
             (QStringList{"6.1/ES Key -Window max/minimize",
                          "6.1/ES Key - Winamp Next/Previous Track", "6.1/ES Key - Shell Command",
                          "-", "Multimedia Keycontrol Winamp", "Multimedia Keycontrol Yamaha", "-",
                          "Send Message to Display - Test", "-", "Yamaha information"}));
    QCOMPARE(captions(main.Menu_MiniPopUp->actions()),
             (QStringList{"POWER", "-",      "LD", "D-TV",   "CBL/SAT", "VCR 1", "VCR 2", "VCR 3",
                          "V-AUX", "DVD",    "MD", "TAPE",   "TUNER",   "CD",    "PHONO", "CDR",
                          "-",     "VOLUME", "-",  "ZONE 2", "-",       "MUTE"}));
    // Keys and starting check marks.
    QCOMPARE(main.Menu_Volume_Mute->shortcut(), QKeySequence(Qt::Key_F12));
    QCOMPARE(main.Menu_Fragezeichen_Informationen->shortcut(), QKeySequence(Qt::Key_F1));
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(main.Menu_Volume_Load(i)->shortcut(), QKeySequence(Qt::Key_F4 + (i - 1)));
    QVERIFY(main.Menu_Setup_Port(1)->isChecked());
    QVERIFY(main.Menu_Setup_ReportTime(0)->isChecked());
    QVERIFY(main.Menu_Mode_Main->isChecked());
    QVERIFY(!main.Menu_Mode_Zone2->isChecked());
    for (int i = 1; i <= 3; ++i)
        QVERIFY(!main.Menu_Extras_61_ES(i)->isChecked());
    QVERIFY(!main.Menu_Extras_MT_Winamp->isChecked());
    QVERIFY(!main.Menu_Extras_MT_Yamaha->isChecked());
    QVERIFY(main.Menu_Extras_61_ES_Tag.isEmpty());
    // The two multimedia switches are independent.
    main.Menu_Extras_MT_Yamaha->trigger();
    QVERIFY(main.Menu_Extras_MT_Yamaha->isChecked());
    QVERIFY(!main.Menu_Extras_MT_Winamp->isChecked());
    main.Menu_Extras_MT_Winamp->trigger();
    main.Menu_Extras_MT_Yamaha->trigger();
    QVERIFY(!main.Menu_Extras_MT_Yamaha->isChecked());
    QVERIFY(main.Menu_Extras_MT_Winamp->isChecked());
}

void TestMenus::itemsFollowTheConnection() {
    Form_Velmora &main = Form_Velmora::instance();
    main.show();
    const QList<QAction *> needReceiver = {main.Menu_Mini,
                                           main.Menu_Volume->menuAction(),
                                           main.Menu_Sleep->menuAction(),
                                           main.Menu_ZS->menuAction(),
                                           main.Menu_Reset,
                                           main.Menu_Extras_YInfo,
                                           main.Menu_Extras_SendMessage};
    for (QAction *a : needReceiver)
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    for (QAction *port : main.Menu_Setup_Port)
        QVERIFY(port->isEnabled());
    // The items that never depend on the receiver.
    for (QAction *a :
         {main.Menu_Mode->menuAction(), main.Menu_Extras->menuAction(), main.Menu_AddIn,
          main.Menu_Setup->menuAction(), main.Menu_Connect, main.Menu_Ende})
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));

    main.ConnectToYamaha(0);
    for (QAction *a : needReceiver)
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    for (QAction *port : main.Menu_Setup_Port)
        QVERIFY(!port->isEnabled());
    main.ConnectToYamaha(0); // disconnect
    for (QAction *a : needReceiver)
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    for (QAction *port : main.Menu_Setup_Port)
        QVERIFY(port->isEnabled());
}

void TestMenus::sleepItemsSendTheirCodes_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("line1");
    QTest::addRow("off") << "Off"
                         << "07EB3"
                         << "SLEEP OFF";
    QTest::addRow("120") << "120 min"
                         << "07EB4"
                         << "SLEEP 120min.";
    QTest::addRow("90") << "90 min"
                        << "07EB5"
                        << "SLEEP 90min.";
    QTest::addRow("60") << "60 min"
                        << "07EB6"
                        << "SLEEP 60min.";
    QTest::addRow("30") << "30 min"
                        << "07EB7"
                        << "SLEEP 30min.";
}

void TestMenus::sleepItemsSendTheirCodes() {
    QFETCH(QString, item);
    QFETCH(QString, code);
    QFETCH(QString, line1);
    Form_Velmora &main = sim->connectMainWindow();
    if (item == QLatin1String("Off")) {
        // Off is only reported as a change.
        main.Menu_Sleep_60->trigger();
        QTRY_COMPARE(main.Line1->text(), QStringLiteral("SLEEP 60min."));
    }
    QTest::qWait(200);
    sim->takeReceived();
    for (QAction *a : main.Menu_Sleep->actions())
        if (a->text() == item) a->trigger();
    // No check marks: the receiver's report is shown on the status lines.
    QTRY_COMPARE(main.Line1->text(), line1);
    QCOMPARE(commandsIn(sim->takeReceived()), QStringList{code});
    for (QAction *a : main.Menu_Sleep->actions())
        QVERIFY(!a->isChecked());
}

void TestMenus::displayMessage_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QStringList>("codes");
    QTest::addRow("20 characters, passed whole")
        << std::optional<QString>(QStringLiteral("ABCDEFGHIJKLMNOPQRST"))
        << QStringList{"21000", "3ABCD", "3EFGH", "3IJKL", "3MNOP"};
    QTest::addRow("short, padded") << std::optional<QString>(QStringLiteral("Hi"))
                                   << QStringList{"21000", "3Hi  ", "3    ", "3    ", "3    "};
    QTest::addRow("cancelled") << std::optional<QString>() << QStringList();
    QTest::addRow("empty") << std::optional<QString>(QString()) << QStringList();
}

void TestMenus::displayMessage() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QStringList, codes);
    Form_Velmora &main = sim->connectMainWindow();
    env->dialogs->answerInput(answer);
    main.Menu_Extras_SendMessage->trigger();
    QCOMPARE(env->dialogs->last().title, QStringLiteral("Text to display - Beta"));
    QCOMPARE(env->dialogs->last().prompt,
             QStringLiteral(
                 "Text to send display:\r\n\r\nMax. 16 characters\r\nThis function works only at "
                 "newer Yamaha models"));
    QTest::qWait(300);
    QCOMPARE(commandsIn(sim->takeReceived()), codes);
    if (answer && answer->size() >= 16) QCOMPARE(sim->model().displayText(), answer->left(16));
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
