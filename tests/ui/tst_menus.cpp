// SPDX-License-Identifier: GPL-3.0-or-later
// The menu tree and its keys, the items that follow the connection, and the sleep timer.
#include "support/WindowSuite.h"

#include <QMenu>
#include <QMenuBar>

namespace {
QStringList captions(const QList<QAction *> &actions) {
    QStringList out;
    for (const QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

class TestMenus : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:
    void menuTreeInDisplayOrder() {
        Form_Velmora &main = Form_Velmora::instance();
        QCOMPARE(
            captions(main.menuBar()->actions()),
            (QStringList{"&Connect", "&Setup", "&Reset", "&TimeControl", "&Mode", "S&leepTimer",
                         "&Volume", "M&ini", "E&xtras", "&AddIn", "&End", "&?"}));
        // The mini window's pop-up: its inputs in the order of the panel's.
        QCOMPARE(captions(main.Menu_MiniPopUp->actions()).mid(2, 14).join(' '),
                 "LD D-TV CBL/SAT VCR 1 VCR 2 VCR 3 V-AUX DVD MD TAPE TUNER CD PHONO CDR");
        QCOMPARE(main.Menu_Volume_Mute->shortcut(), QKeySequence(Qt::Key_F12));
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(main.Menu_Volume_Load(i)->shortcut(), QKeySequence(Qt::Key_F4 + (i - 1)));
    }

    void itemsFollowTheConnection() {
        sim = std::make_unique<SimulatedReceiver>();
        Form_Velmora &main = Form_Velmora::instance();
        main.show();
        QList<QAction *> needReceiver = {main.Menu_Mini, main.Menu_Reset, main.Menu_Extras_YInfo,
                                         main.Menu_Extras_SendMessage};
        for (const QMenu *menu : {main.Menu_Volume, main.Menu_Sleep, main.Menu_ZS})
            needReceiver << menu->menuAction();
        QVERIFY(main.Menu_Mode->menuAction()->isEnabled() && main.Menu_Connect->isEnabled());
        // Connected, then disconnected again: the ports are only chosen while disconnected.
        for (int step = 0; step < 3; ++step) {
            const bool on = step == 1;
            if (step) main.ConnectToYamaha(0);
            for (const QAction *a : needReceiver)
                QVERIFY2(a->isEnabled() == on, qPrintable(a->text()));
            for (const QAction *port : main.Menu_Setup_Port)
                QVERIFY2(port->isEnabled() == !on, qPrintable(port->text()));
        }
    }

    void sleepItemsSetTheTimer_data() {
        columns<QString, QString>("item", "line1");
        row("off", "Off", "SLEEP OFF");
        row("120", "120 min", "SLEEP 120min.");
        row("90", "90 min", "SLEEP 90min.");
        row("60", "60 min", "SLEEP 60min.");
        row("30", "30 min", "SLEEP 30min.");
    }
    void sleepItemsSetTheTimer() {
        FETCH((QString, QString), item, line1);
        Form_Velmora &main = connected();
        if (item == "Off") { // only reported as a change
            sim->control(QStringLiteral("sleep 60"));
            QTRY_COMPARE(main.Line1->text(), "SLEEP 60min.");
        }
        settledBytes(200);
        for (QAction *a : main.Menu_Sleep->actions())
            if (a->text() == item) a->trigger();
        // No check marks: the receiver's report is shown on the status lines.
        QTRY_COMPARE(main.Line1->text(), line1);
        QCOMPARE(settledCommands().size(), 1);
        QCOMPARE(Sim::kSleepMinutes[sim->model().state().sleep], item.section(' ', 0, 0).toInt());
        for (const QAction *a : main.Menu_Sleep->actions())
            QVERIFY(!a->isChecked());
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
