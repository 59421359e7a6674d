// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows branches, run under wine: Winamp's window messages against a stand-in player,
// the asynchronous key state, schedule scripts in the ANSI code page, the shell's program
// start and mail hand-off.
#include "hotkeys/Win32KeyStateSource.h"
#include "support/DataRows.h"
#include "timecontrol/ScriptFile.h"
#include "ui/Shell.h"
#include "winamp/Modul_Winamp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

namespace {
// The file's lines once it has at least `count` of them, or what it has after 15 s.
QStringList awaitLines(const QString &path, qsizetype count) {
    QStringList lines;
    const QDeadlineTimer deadline(15000);
    while (true) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            lines =
                QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.size() >= count || deadline.hasExpired()) return lines;
        QTest::qWait(50);
    }
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QProcess winamp;
    QString winampLog;
    qsizetype m_seen = 0;

    // The stand-in player's log lines since the last call.
    QStringList takeLog(int atLeast) {
        const QStringList lines = awaitLines(winampLog, m_seen + atLeast);
        const QStringList fresh = lines.mid(m_seen);
        m_seen = lines.size();
        return fresh;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(folder.isValid());
        winampLog = folder.filePath(QStringLiteral("winamp.log"));
        winamp.start(QCoreApplication::applicationDirPath() + QStringLiteral("/fake-winamp.exe"),
                     {QDir::toNativeSeparators(winampLog)});
        QVERIFY(winamp.waitForStarted());
        QCOMPARE(takeLog(1), QStringList{QStringLiteral("ready 0")});
        QTRY_VERIFY(FindWinamp() != 0);
    }
    void cleanupTestCase() {
        winamp.kill();
        winamp.waitForFinished();
    }

    void winampCommands_data() {
        // A command posted, and the play state the player then reports.
        columns<qint32, qint16>("command", "state");
        row("play", qint32(VelmoraWinamp_JMP_STARTPOS), qint16(WinampStatusPlaying));
        row("pause", qint32(VelmoraWinamp_PAUSE), qint16(WinampStatusPaused));
        row("resume", qint32(VelmoraWinamp_PAUSE), qint16(WinampStatusPlaying));
        row("next track", qint32(VelmoraWinamp_NEXTSONG), qint16(WinampStatusPlaying));
        row("stop", qint32(VelmoraWinamp_STOP), qint16(WinampStatusStopped));
    }
    void winampCommands() {
        QFETCH(qint32, command);
        QFETCH(qint16, state);
        QVERIFY(RefreshWinamp() != 0);
        // A posted command waits behind a status request sent at the same time (a sent message
        // goes first), so the state is asked once the player has taken the command.
        WinampCommand(command);
        QCOMPARE(takeLog(1), QStringList{QStringLiteral("command %1").arg(command)});
        QCOMPARE(GetWinampStatus(), state);
        QCOMPARE(takeLog(1), QStringList{QStringLiteral("status %1").arg(state)});
    }
    void winampTitle() {
        QCOMPARE(GetWinampTitle(), QStringLiteral("1. Velmora Test - Fake Track"));
    }

    void keyState() {
        // A press since the last query reads as down-and-pressed once; the release clears it.
        Win32KeyStateSource keys;
        keys.keyState(VK_MEDIA_PLAY_PAUSE);
        keybd_event(VK_MEDIA_PLAY_PAUSE, 0, 0, 0);
        QTest::qWait(50);
        QCOMPARE(quint16(keys.keyState(VK_MEDIA_PLAY_PAUSE)) & kKeyDownNow, kKeyDownNow);
        keybd_event(VK_MEDIA_PLAY_PAUSE, 0, KEYEVENTF_KEYUP, 0);
        QTest::qWait(50);
        QCOMPARE(quint16(keys.keyState(VK_MEDIA_PLAY_PAUSE)) & kKeyDownNow, 0);
    }

    void scriptCodePage_data() {
        columns<QString, QByteArray>("line", "bytes");
        row("plain", QStringLiteral("20:15 Power On"), QByteArray("20:15 Power On\r\n"));
        row("umlaut", QStringLiteral("Lautst\u00e4rke -30"), QByteArray("Lautst\xe4rke -30\r\n"));
        row("euro", QStringLiteral("\u20ac"), QByteArray("\x80\r\n"));
    }
    void scriptCodePage() {
        // The scripts of the schedule are in the system's ANSI code page, as Notepad writes them.
        QCOMPARE(GetACP(), 1252u);
        QFETCH(QString, line);
        QFETCH(QByteArray, bytes);
        QCOMPARE(scriptBytes({line}), bytes);
        QCOMPARE(scriptLines(bytes), QStringList{line});
    }

    void shellStartsProgram() {
        const QString marker = QDir::toNativeSeparators(folder.filePath(QStringLiteral("es.txt")));
        QVERIFY(Shell::current().startProgram(
            QStringLiteral("cmd.exe /c echo started> \"%1\"").arg(marker),
            Shell::Style::MinimizedFocus));
        QCOMPARE(awaitLines(marker, 1).value(0).trimmed(), QStringLiteral("started"));
    }

    void shellHandsMailOver() {
        // The mail program of the system: here one that writes down the link it is given.
        const QString marker =
            QDir::toNativeSeparators(folder.filePath(QStringLiteral("mail.txt")));
        const std::wstring command = QStringLiteral("cmd.exe /c echo %1> \"%2\"")
                                         .arg(QStringLiteral("%1"), marker)
                                         .toStdWString();
        const wchar_t *key = L"mailto\\shell\\open\\command";
        wchar_t kept[1024] = {};
        DWORD keptSize = sizeof kept;
        const bool hadHandler = RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ,
                                             nullptr, kept, &keptSize) == ERROR_SUCCESS;
        QCOMPARE(RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, command.c_str(),
                                 DWORD((command.size() + 1) * sizeof(wchar_t))),
                 LONG(ERROR_SUCCESS));
        const bool handed = Shell::current().openDocument(
            QStringLiteral("mailto:reports@example.org?Subject=Error"), Shell::Style::NormalFocus);
        const QString written = awaitLines(marker, 1).join(QLatin1Char(' '));
        if (hadHandler) RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, kept, keptSize);
        QVERIFY(handed);
        QVERIFY2(written.contains(QStringLiteral("mailto:reports@example.org")),
                 qPrintable(written));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
