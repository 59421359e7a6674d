// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 key-state source against a virtual X server of the test's own, with key presses made
// by xdotool: the pressed-since-last-query bit, the down-now bit and the wake-up.
#include "hotkeys/X11KeyStateSource.h"
#include "support/DataRows.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

namespace {
// An Xvfb on a free display number it picks itself.
class VirtualDisplay {
public:
    VirtualDisplay() {
        // -noreset: else the server starts afresh whenever its last client goes.
        m_server.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                                "640x480x24"});
        QDeadlineTimer deadline(10000);
        while (m_server.waitForStarted(5000) && !m_server.canReadLine() && !deadline.hasExpired())
            m_server.waitForReadyRead(100);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty()) m_name = ':' + number;
    }
    ~VirtualDisplay() { stop(); }
    void stop() {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) m_server.kill();
        m_server.waitForFinished(5000);
    }
    QByteArray name() const { return m_name; }
    QString errors() { return QString::fromLocal8Bit(m_server.readAllStandardError()); }

    // Runs xdotool on this display to its end; true when it succeeded.
    bool xdotool(const QStringList &arguments) const {
        QProcess tool;
        start(tool, arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    }
    // The server lets go of the keys of a client that goes, so the holder is an xdotool that
    // stays until keyUp releases the key; it ends with the returned process.
    std::unique_ptr<QProcess, void (*)(QProcess *)> keyDown(const QString &symbol) const {
        std::unique_ptr<QProcess, void (*)(QProcess *)> held(new QProcess, [](QProcess *p) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        });
        start(*held, {"keydown", symbol, "sleep", "60"});
        return held;
    }
    bool keyUp(const QString &symbol) const { return xdotool({"keyup", symbol}); }

private:
    void start(QProcess &tool, const QStringList &arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromLatin1(m_name));
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        tool.waitForStarted(10000);
    }

    QProcess m_server;
    QByteArray m_name;
};

// Asks until the key reads other than `old`, for at most two seconds: the server's answer to
// xdotool reaches this connection a moment after xdotool has ended.
qint16 nextStateOtherThan(KeyStateSource &source, qint32 key, qint16 old) {
    QDeadlineTimer deadline(2000);
    qint16 state = source.keyState(key);
    while (state == old && !deadline.hasExpired()) {
        QTest::qWait(5);
        state = source.keyState(key);
    }
    return state;
}

constexpr qint16 kFresh = qint16(0x8001), kHeld = qint16(0x8000), kTapped = 0x0001;
} // namespace

class TestX11KeyState : public QObject {
    Q_OBJECT
    std::unique_ptr<VirtualDisplay> display;

private Q_SLOTS:
    void initTestCase() {
        for (const char *tool : {"Xvfb", "xdotool"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        display = std::make_unique<VirtualDisplay>();
        QVERIFY2(!display->name().isEmpty(), qPrintable(display->errors()));
    }
    void cleanupTestCase() { display.reset(); }

    void keyReadsAsOnWindows_data() {
        // neighbour: a key of the table that must stay untouched
        columns<QString, qint32, qint32>("symbol", "key", "neighbour");
        row("volume up", "XF86AudioRaiseVolume", 175, 174);
        row("keypad plus", "KP_Add", 107, 109);
        row("play/pause", "XF86AudioPlay", 179, 178);
        row("next track", "XF86AudioNext", 176, 177);
        row("previous track", "XF86AudioPrev", 177, 176);
    }
    void keyReadsAsOnWindows() {
        FETCH((QString, qint32, qint32), symbol, key, neighbour);
        X11KeyStateSource source(display->name());
        QVERIFY(source.isAvailable());
        QCOMPARE(source.keyState(key), qint16(0));
        // A tap that is over by the time of the query: pressed since, no longer down.
        QVERIFY(display->xdotool({"key", symbol}));
        QCOMPARE(nextStateOtherThan(source, key, 0), kTapped);
        QCOMPARE(source.keyState(key), qint16(0));
        auto holder = display->keyDown(symbol); // held: a fresh press once, then only down
        QCOMPARE(nextStateOtherThan(source, key, 0), kFresh);
        QCOMPARE(source.keyState(key), kHeld);
        QCOMPARE(source.keyState(neighbour), qint16(0));
        QVERIFY(display->keyUp(symbol));
        QCOMPARE(nextStateOtherThan(source, key, kHeld), qint16(0));
    }

    void keysHeldBeforeOpeningAndOtherCodes() {
        auto volume = display->keyDown("XF86AudioLowerVolume");
        auto letter = display->keyDown("a");
        X11KeyStateSource watching(display->name()); // to know when both are down
        QVERIFY(nextStateOtherThan(watching, 174, 0) & kHeld);
        // Down, but not pressed since the source began to watch; codes outside the table never
        // read as pressed, whatever is down.
        X11KeyStateSource source(display->name());
        QCOMPARE(source.keyState(174), kHeld);
        for (qint32 code : {0, 65, 97, 255, -1, 100000})
            QCOMPARE(source.keyState(code), qint16(0));
        QVERIFY(display->keyUp("XF86AudioLowerVolume") && display->keyUp("a"));
        QCOMPARE(nextStateOtherThan(source, 174, kHeld), qint16(0));
    }

    void wakesThePollForItsKeysOnly() {
        X11KeyStateSource source(display->name());
        int wakes = 0;
        QVERIFY(source.canWake());
        source.setWakeUp([&] { ++wakes; });
        QVERIFY(!source.needsPolling());
        QVERIFY(display->xdotool({"key", "a"}));
        QTest::qWait(300);
        QCOMPARE(wakes, 0);
        auto holder = display->keyDown("XF86AudioRaiseVolume");
        QTRY_VERIFY(wakes > 0);
        QVERIFY(source.needsPolling());
        QCOMPARE(source.keyState(175), kFresh);
        QVERIFY(display->keyUp("XF86AudioRaiseVolume"));
        QTRY_VERIFY(!source.needsPolling());
        // A tap between two looks still wakes the poll, which then finds the press.
        QVERIFY(display->xdotool({"key", "XF86AudioMute"}));
        QTRY_VERIFY(wakes > 1);
        QCOMPARE(source.keyState(173), kTapped);
        QVERIFY(!source.needsPolling());
    }
};

QTEST_GUILESS_MAIN(TestX11KeyState)
#include "tst_x11_keystate.moc"
