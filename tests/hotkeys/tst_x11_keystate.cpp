// The X11 key-state source against a virtual X server of the test's own, with key presses made
// by xdotool: the pressed-since-last-query bit, the down-now bit, and a server that goes away.
#include "hotkeys/X11KeyStateSource.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <X11/Xlib.h>
#include <algorithm>
#include <iterator>

namespace {

// An Xvfb on a display number it picks itself among the free ones.
class VirtualDisplay {
public:
    VirtualDisplay() {
        m_server.setProgram(QStringLiteral("Xvfb"));
        // -noreset: the server would otherwise start afresh whenever its last client goes, and
        // refuse connections meanwhile.
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                               QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("640x480x24")});
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        m_server.start();
        if (!m_server.waitForStarted(5000)) return;
        QDeadlineTimer deadline(10000);
        while (!m_server.canReadLine() && !deadline.hasExpired() &&
               m_server.state() == QProcess::Running)
            m_server.waitForReadyRead(100);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty()) m_name = ':' + number;
    }
    ~VirtualDisplay() { stop(); }
    void stop() {
        if (m_server.state() == QProcess::NotRunning) return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) m_server.kill();
        m_server.waitForFinished(5000);
    }
    QByteArray name() const { return m_name; }
    QString errors() { return QString::fromLocal8Bit(m_server.readAllStandardError()); }

    // Runs xdotool on this display; true when it succeeded.
    bool xdotool(const QStringList &arguments) const {
        QProcess tool;
        startXdotool(tool, arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    }
    // The server lets go of the keys a test client holds when the client goes, so a held key
    // needs an xdotool that stays: it presses the key and then waits. Released by keyUp from
    // another xdotool; the holder ends with the returned object.
    class HeldKey {
    public:
        ~HeldKey() {
            process.kill();
            process.waitForFinished(5000);
        }
        QProcess process;
    };
    std::unique_ptr<HeldKey> keyDown(const QString &symbol) const {
        auto held = std::make_unique<HeldKey>();
        startXdotool(held->process, {QStringLiteral("keydown"), symbol, QStringLiteral("sleep"),
                                     QStringLiteral("60")});
        return held;
    }
    bool keyUp(const QString &symbol) const { return xdotool({QStringLiteral("keyup"), symbol}); }

private:
    void startXdotool(QProcess &tool, const QStringList &arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_name));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("xdotool"), arguments);
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

// Whether any key of the display is down, seen by a connection of its own.
bool keymapShowsADownKey(const QByteArray &display) {
    Display *connection = XOpenDisplay(display.constData());
    if (!connection) return false;
    char keys[32] = {};
    XQueryKeymap(connection, keys);
    XCloseDisplay(connection);
    return std::any_of(std::begin(keys), std::end(keys), [](char c) { return c != 0; });
}

constexpr qint16 kFresh = qint16(0x8001);
constexpr qint16 kHeld = qint16(0x8000);

} // namespace

class TestX11KeyState : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void keyReadsAsOnWindows_data();
    void keyReadsAsOnWindows();
    void keyHeldBeforeOpening();
    void otherCodesNeverPressed();
    void wakesThePollForItsKeysOnly();
    void noServer();
    void serverGoingAwayIsNoCrash();

private:
    std::unique_ptr<VirtualDisplay> display;
};

void TestX11KeyState::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed (Debian package xvfb; scripts/setup installs it)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is not installed (Debian package xdotool; scripts/setup installs it)");
    display = std::make_unique<VirtualDisplay>();
    QVERIFY2(!display->name().isEmpty(), qPrintable(display->errors()));
}

void TestX11KeyState::cleanupTestCase() {
    display.reset();
}

void TestX11KeyState::keyReadsAsOnWindows_data() {
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<qint32>("key");
    QTest::addColumn<qint32>("neighbour"); // a key of the table that must stay untouched
    QTest::addRow("volume up") << "XF86AudioRaiseVolume" << 175 << 174;
    QTest::addRow("keypad plus") << "KP_Add" << 107 << 109;
    QTest::addRow("play/pause") << "XF86AudioPlay" << 179 << 178;
}

void TestX11KeyState::keyReadsAsOnWindows() {
    QFETCH(QString, symbol);
    QFETCH(qint32, key);
    QFETCH(qint32, neighbour);
    X11KeyStateSource source(display->name());
    QVERIFY(source.isAvailable());
    QCOMPARE(source.keyState(key), qint16(0));

    // A tap that is over by the time of the query: pressed since, no longer down.
    QVERIFY(display->xdotool({QStringLiteral("key"), symbol}));
    QCOMPARE(nextStateOtherThan(source, key, 0), qint16(0x0001));
    QCOMPARE(source.keyState(key), qint16(0));

    // Held: a fresh press once, then only down.
    auto holder = display->keyDown(symbol);
    QCOMPARE(nextStateOtherThan(source, key, 0), kFresh);
    QCOMPARE(source.keyState(key), kHeld);
    QTest::qWait(50);
    QCOMPARE(source.keyState(key), kHeld);
    QVERIFY(display->keyUp(symbol));
    QCOMPARE(nextStateOtherThan(source, key, kHeld), qint16(0));

    QCOMPARE(source.keyState(neighbour), qint16(0));
}

void TestX11KeyState::keyHeldBeforeOpening() {
    auto holder = display->keyDown(QStringLiteral("XF86AudioLowerVolume"));
    QTRY_VERIFY(keymapShowsADownKey(display->name()));
    X11KeyStateSource source(display->name());
    // Down, but not pressed since the source began to watch.
    QCOMPARE(source.keyState(174), kHeld);
    QCOMPARE(source.keyState(174), kHeld);
    QVERIFY(display->keyUp(QStringLiteral("XF86AudioLowerVolume")));
    QCOMPARE(nextStateOtherThan(source, 174, kHeld), qint16(0));
}

void TestX11KeyState::otherCodesNeverPressed() {
    X11KeyStateSource source(display->name());
    auto holder = display->keyDown(QStringLiteral("a"));
    QTRY_VERIFY(keymapShowsADownKey(display->name()));
    for (qint32 code : {0, 65, 97, 255, -1, 100000})
        QCOMPARE(source.keyState(code), qint16(0));
    QVERIFY(display->keyUp(QStringLiteral("a")));
}

void TestX11KeyState::wakesThePollForItsKeysOnly() {
    X11KeyStateSource source(display->name());
    int wakes = 0;
    QVERIFY(source.canWake());
    source.setWakeUp([&] { ++wakes; });
    QVERIFY(!source.needsPolling());
    QVERIFY(display->xdotool({QStringLiteral("key"), QStringLiteral("a")}));
    QTest::qWait(300);
    QCOMPARE(wakes, 0);
    auto holder = display->keyDown(QStringLiteral("XF86AudioRaiseVolume"));
    QTRY_VERIFY(wakes > 0);
    QVERIFY(source.needsPolling());
    QCOMPARE(source.keyState(175), kFresh);
    QVERIFY(display->keyUp(QStringLiteral("XF86AudioRaiseVolume")));
    QTRY_VERIFY(!source.needsPolling());
    // A tap between two looks still wakes the poll, which then finds the press.
    QVERIFY(display->xdotool({QStringLiteral("key"), QStringLiteral("XF86AudioMute")}));
    QTRY_VERIFY(wakes > 1);
    QVERIFY(source.needsPolling());
    QCOMPARE(source.keyState(173), qint16(0x0001));
    QVERIFY(!source.needsPolling());
}

void TestX11KeyState::noServer() {
    // A display that no server serves: the source stands in as "nothing pressed".
    X11KeyStateSource source(QByteArrayLiteral(":65000"));
    QVERIFY(!source.isAvailable());
    QCOMPARE(source.keyState(175), qint16(0));
}

void TestX11KeyState::serverGoingAwayIsNoCrash() {
    VirtualDisplay own;
    QVERIFY2(!own.name().isEmpty(), qPrintable(own.errors()));
    X11KeyStateSource source(own.name());
    QVERIFY(source.isAvailable());
    auto holder = own.keyDown(QStringLiteral("XF86AudioMute"));
    QCOMPARE(nextStateOtherThan(source, 173, 0), kFresh);
    own.stop();
    // The program goes on; the keys read as not pressed from now on.
    QCOMPARE(nextStateOtherThan(source, 173, kHeld), qint16(0));
    QVERIFY(!source.isAvailable());
    QCOMPARE(source.keyState(173), qint16(0));
}

QTEST_GUILESS_MAIN(TestX11KeyState)
#include "tst_x11_keystate.moc"
