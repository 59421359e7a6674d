// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver's remote turned into computer actions: the 6.1/ES key with its three modes, the
// mute and POWER ON keys driving the media player, and the main window's player keys and title,
// against mpv on the test's private session bus and the receiver simulator.
#include "base/Dialogs.h"
#include "support/WindowSuite.h"
#include "winamp/Modul_Winamp.h"

#include "MpvPlayer.h"

#include <QElapsedTimer>

#include <functional>

namespace {
// How far the player jumps from now on, beyond what it plays meanwhile.
std::function<double()> jumpFromNow(const MpvPlayer &player) {
    QElapsedTimer clock;
    clock.start();
    return [&player, clock, from = player.position()] {
        return player.position() - from - clock.elapsed() / 1000.0;
    };
}

// A double click as the window system delivers it: press, release, double click, release.
void doubleClick(QWidget *key) {
    QTest::mousePress(key, Qt::LeftButton);
    QTest::mouseRelease(key, Qt::LeftButton);
    QTest::mouseDClick(key, Qt::LeftButton);
    QTest::mouseRelease(key, Qt::LeftButton);
}
} // namespace

class TestRemoteKeys : public WindowSuite {
    Q_OBJECT
private Q_SLOTS:

    void playerEntryDrivesThePlayer() {
        START_PLAYER(player, 4); // two tracks forward never looks like one back
        Form_Velmora &main = connected();
        main.Menu_Extras_61_ES(2)->setChecked(true);
        main.Line1->setText(QStringLiteral("kept 1"));
        main.Line2->setText(QStringLiteral("kept 2"));

        // One press of the 6.1/ES key: the next track once the wait for a second press is over;
        // the message stands for half a second, then the kept lines come back.
        sim->control(QStringLiteral("es"));
        QTRY_VERIFY(main.Timer_CheckTastenRepeat->isActive());
        QCOMPARE(player.trackTitle(), "Track 1");
        QTRY_COMPARE(player.trackTitle(), "Track 2");
        QTRY_COMPARE(main.Line1->text() + main.Line2->text(), "kept 1kept 2");
        // Two presses half a second apart: the previous track, and no next track after it.
        sim->control(QStringLiteral("es"));
        QTest::qWait(500);
        sim->control(QStringLiteral("es"));
        QTRY_COMPARE(player.trackTitle(), "Track 1");
        QTest::qWait(1200);
        QCOMPARE(player.trackTitle(), "Track 1");
        QVERIFY(main.Opt_61ES(0)->isChecked()); // as the key's report says

        // Mute pauses the player, unmute resumes it.
        sim->control(QStringLiteral("mute on"));
        QTRY_COMPARE(main.Line1->text() + '|' + main.Line2->text(), "MUTE ON|Winamp pause");
        QTRY_COMPARE(player.status(), "Paused");
        sim->control(QStringLiteral("mute off"));
        QTRY_COMPARE(main.Line2->text(), "Winamp play");
        QTRY_COMPARE(player.status(), "Playing");

        // The POWER ON report alone, as the key sends it to a receiver that is on: 10 s forward
        // while playing (one step would be 5 s), nothing while paused.
        const QString powerOn = QStringLiteral("send 102001");
        main.Line1->setText(QStringLiteral("before"));
        const auto jumped = jumpFromNow(player);
        sim->control(powerOn);
        QTRY_VERIFY(jumped() >= 8);
        WinampCommand(VelmoraWinamp_PAUSE);
        QTRY_COMPARE(GetWinampStatus(), qint16(3));
        const double paused = player.position();
        sim->control(powerOn);
        QTest::qWait(600);
        QCOMPARE(main.Line1->text(), "before");
        QVERIFY(player.position() < paused + 1);

        // Without the player entry POWER ON is only shown.
        main.Menu_Extras_61_ES(2)->setChecked(false);
        sim->control(powerOn);
        QTRY_COMPARE(main.Line1->text() + main.Line2->text(), "POWER ON");
        QCOMPARE(player.status(), "Paused");
        VERIFY_NO_ERROR_BOX();
    }

    void esKeyModes() {
        Form_Velmora &main = connected();
        // The window entry minimises the window and brings it back.
        main.Menu_Extras_61_ES(1)->trigger();
        sim->control(QStringLiteral("es"));
        QTRY_VERIFY(main.windowState() & Qt::WindowMinimized);
        sim->control(QStringLiteral("es"));
        QTRY_VERIFY(!(main.windowState() & Qt::WindowMinimized));
        // The shell entry runs its command on every press; an empty command runs nothing.
        const QString command = QStringLiteral("/usr/bin/xdg-open /home/music");
        env->dialogs->answerInput(command);
        main.Menu_Extras_61_ES(3)->trigger();
        sim->control(QStringLiteral("es"));
        QTRY_COMPARE(env->shell.calls.size(), 1);
        QCOMPARE(env->shell.calls.first().text, command);
        QCOMPARE(env->shell.calls.first().style, Shell::Style::MinimizedFocus);
        main.Menu_Extras_61_ES_Tag.clear();
        sim->control(QStringLiteral("es"));
        settle();
        QCOMPARE(env->shell.calls.size(), 1);

        // The player entry without a player explains itself; mute then only mutes.
        main.Menu_Extras_61_ES(2)->trigger();
        sim->control(QStringLiteral("es"));
        QTRY_COMPARE(env->dialogs->count(ScriptedDialogs::Shown::Kind::MsgBox), 1);
        QVERIFY(env->dialogs->last().prompt.startsWith("WinAmp muss zuerst gestartet werden"));
        QVERIFY(!main.Timer_CheckTastenRepeat->isActive());
        sim->control(QStringLiteral("mute on"));
        QTRY_COMPARE(main.Line1->text(), "MUTE ON");
        QCOMPARE(main.Line2->text(), QString());
        QCOMPARE(env->dialogs->shown.size(), 2);
    }

    void playerKeysAndTitle() {
        Form_Velmora &main = Form_Velmora::instance();
        main.show();
        // No player: the keys do nothing and the title stays hidden.
        doubleClick(main.imgWinampNext);
        main.Timer_WinampView_Timer();
        QVERIFY(!main.lblWinAmp->isVisible());

        START_PLAYER(player);
        main.Timer_WinampView_Timer();
        QVERIFY(main.lblWinAmp->isVisible());
        QCOMPARE(main.lblWinAmp->text(), player.displayTitle(1));
        main.Timer_WinampView_Timer(); // shown for one period only while the title stays
        QVERIFY(!main.lblWinAmp->isVisible());
        // A click jumps 5 s, a right click nothing; a double click changes the track.
        const auto jumped = jumpFromNow(player);
        QTest::mouseClick(main.imgWinampNext, Qt::RightButton);
        QTest::qWait(300);
        QVERIFY(std::abs(jumped()) < 1);
        QTest::mouseClick(main.imgWinampNext, Qt::LeftButton);
        QTRY_VERIFY(jumped() > 3);
        doubleClick(main.imgWinampNext);
        QTRY_COMPARE(player.trackTitle(), "Track 2");
        main.Timer_WinampView_Timer();
        QCOMPARE(main.lblWinAmp->text(), player.displayTitle(2));
        doubleClick(main.imgWinampPrevious);
        QTRY_COMPARE(player.trackTitle(), "Track 1");
        const double now = player.position();
        QTest::mouseClick(main.imgWinampPrevious, Qt::LeftButton);
        QTRY_VERIFY(player.position() <= std::max(0.0, now - 4) + 0.5);
    }
};

QTEST_MAIN(TestRemoteKeys)
#include "tst_remote_keys.moc"
