// SPDX-License-Identifier: GPL-3.0-or-later
// The mini window: switching to it and back, its corners, the pop-up menu, the function keys, the
// volume areas and bar, against the receiver simulator.
#include "base/CommandLine.h"
#include "support/WindowSuite.h"
#include "ui/PictureBox.h"
#include "ui/mini/Form_Mini.h"

#include <QMenu>

namespace {
// Mini mode, the main window shown, the mini window shown.
QList<bool> windows() {
    return {bMiniMode, Form_Velmora::instance().isVisible(), Form_Mini::instance().isVisible()};
}
const QList<bool> kMain = {false, true, false}, kMini = {true, false, true};
} // namespace

class TestMini : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:

    void miniWindowAtWork() {
        Form_Velmora &main = shownMainWindow();
        // Without a receiver "Mini" only says so.
        QVERIFY(!main.Menu_Mini->isEnabled());
        main.Menu_Mini_Click();
        QCOMPARE(env->dialogs->last().prompt, "Connect first !");
        QCOMPARE(windows(), kMain);
        connected();
        main.Menu_Mini->trigger();
        QCOMPARE(windows(), kMini);
        Form_Mini &mini = Form_Mini::instance();
        QVERIFY(mini.windowFlags() & Qt::WindowStaysOnTopHint);

        // The volume areas step the main zone while held; the bar shows its level, not zone 2's.
        const Sim::ReceiverState &s = sim->model().state();
        for (const auto &[area, steps] :
             {std::pair{mini.Label_VolUp, 3}, {mini.Label_VolDown, -2}}) {
            const int start = s.mainVolume;
            QTest::mousePress(area, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(
                steps > 0 ? s.mainVolume >= start + steps : s.mainVolume <= start + steps, 5000);
            QTest::mouseRelease(area, Qt::LeftButton);
            QVERIFY(!main.Timer_RePressKey->isActive());
            settle();
        }
        QCOMPARE(miniVolumePicture(), mini.Pic_Vol);
        sim->control(QStringLiteral("volume up %1").arg(0xC7 - s.mainVolume));
        QTRY_COMPARE(main.Line1->text(), "VOLUME 0dB");
        sim->control(QStringLiteral("zone2 volume down 40"));
        QTRY_VERIFY(main.Line1->text().startsWith(QStringLiteral("ZONE2 VOL.")));
        const QColor bar(255, 192, 255);
        const int end = 199 * mini.Pic_Vol->width() / 210; // 0 dB is 199 of 210
        QCOMPARE(mini.Pic_Vol->image().pixelColor(end - 1, 5), bar);
        QVERIFY(mini.Pic_Vol->image().pixelColor(end + 1, 5) != bar);

        // F4 to F9 recall the volume memories, F12 mutes the zone of the mode.
        const std::tuple<Qt::Key, bool, const char *, const char *> keys[] = {
            {Qt::Key_F3, false, "", "kept"},
            {Qt::Key_F4, false, "07E75", "Volume A"},
            {Qt::Key_F9, false, "07E7A", "Volume F"},
            {Qt::Key_F12, false, "07EA2", "MUTE ON"},
            {Qt::Key_F12, true, "07EA0", "ZONE2 MUTE ON"}};
        for (const auto &[key, zone2, code, line1] : keys) {
            if (zone2) main.Menu_MiniPopUp_Zone2->trigger();
            main.Line1->setText(QStringLiteral("kept"));
            sim->takeReceived();
            QTest::keyClick(&mini, key);
            QTRY_COMPARE(main.Line1->text(), line1);
            QCOMPARE(settledCommands(), *code ? QStringList{code} : QStringList());
        }

        // A right click on the body or on a volume area opens the pop-up menu with the window's
        // zone mode checked, and steps nothing.
        QVERIFY(!main.Menu_MiniPopUp_Zone2->isChecked());
        QTest::mouseClick(&mini, Qt::RightButton, {}, QPoint(60, 5));
        QVERIFY(main.Menu_MiniPopUp_Zone2->isChecked());
        QTRY_VERIFY(main.Menu_MiniPopUp->isVisible());
        main.Menu_MiniPopUp->close();
        QTest::mouseClick(mini.Label_VolUp, Qt::RightButton);
        QTRY_VERIFY(main.Menu_MiniPopUp->isVisible());
        main.Menu_MiniPopUp->close();
        // Its zone item switches the mode and the panel, leaving the lines alone and asking and
        // telling the receiver nothing.
        main.Line1->setText(QStringLiteral("kept"));
        main.Menu_MiniPopUp_Zone2->trigger();
        QVERIFY(main.Menu_Mode_Main->isChecked() && !main.Menu_Mode_Zone2->isChecked());
        QCOMPARE(selectedCaption(main.Opt_Input), "DVD");
        main.Menu_MiniPopUp_Zone2->trigger();
        QCOMPARE(selectedCaption(main.Opt_Input) + main.Line1->text(), "CDkept");
        QCOMPARE(settledBytes(), QByteArray());
        // Its inputs work on the zone of the mode; POWER switches the receiver to standby.
        main.Menu_MiniPopUp_Input(11)->trigger();
        QCOMPARE(settledCommands().size(), 1);
        QCOMPARE(receiverInput(true), "TUNER");
        QCOMPARE(main.Line1->text(), "ZONE2 TUNER");
        main.Menu_MiniPopUp_POWER->trigger();
        QTRY_VERIFY(!sim->model().state().power);
        QVERIFY(settledCommands().contains(QStringLiteral("07A1E")));

        // Minimising does not end mini mode; the close area does.
        mini.Label_Min_Click();
        QVERIFY(bMiniMode);
        QTest::mouseClick(mini.Label_Close, Qt::LeftButton);
        QCOMPARE(windows(), kMain);
        QCOMPARE(env->dialogs->shown.size(), 1);
        VERIFY_NO_ERROR_BOX();
    }

    void startOptionsPlaceIt_data() {
        // corner "": no receiver, the main window stays
        columns<QString, QString>("line", "corner");
        row("default", "-M", "BR");
        row("top left", "-tl -m", "TL");
        row("bottom left before top right", "-BL -TR -M", "BL");
        row("no receiver", "-M", "");
    }

    void startOptionsPlaceIt() {
        FETCH((QString, QString), line, corner);
        if (corner.isEmpty())
            qputenv("VELMORA_COM1", "/nonexistent/velmora-port");
        else
            sim = std::make_unique<SimulatedReceiver>();
        setCommand(line);
        Form_Velmora &main = shownMainWindow();
        QCOMPARE(main.Line1->text(), corner.isEmpty() ? "Comport Error" : "Connected");
        QCOMPARE(windows(), corner.isEmpty() ? kMain : kMini);
        const QRect a = main.workArea(), f = Form_Mini::instance().frameGeometry();
        const auto at = [&](const QRect &r) {
            return QPoint(corner.endsWith('L') ? r.left() : r.right(),
                          corner.startsWith('T') ? r.top() : r.bottom());
        };
        if (!corner.isEmpty()) QCOMPARE(at(f), at(a));
    }
};

QTEST_MAIN(TestMini)
#include "tst_mini.moc"
