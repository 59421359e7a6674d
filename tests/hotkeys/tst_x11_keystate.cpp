// The X11 key-state source against a virtual X server of the test's own, with key presses made
// by xdotool: the pressed-since-last-query bit, the down-now bit, and a server that goes away.
#include "hotkeys/X11KeyStateSource.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

// An Xvfb on a display number it picks itself among the free ones.
class VirtualDisplay {
public:
    VirtualDisplay() {
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                               QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                               QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("640x480x24")});
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
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_name));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    }

private:
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
    void otherCodesNeverPressed();
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
    QVERIFY(display->xdotool({QStringLiteral("keydown"), symbol}));
    QCOMPARE(nextStateOtherThan(source, key, 0), kFresh);
    QCOMPARE(source.keyState(key), kHeld);
    QVERIFY(display->xdotool({QStringLiteral("keyup"), symbol}));
    QCOMPARE(nextStateOtherThan(source, key, kHeld), qint16(0));

    QCOMPARE(source.keyState(neighbour), qint16(0));
}

void TestX11KeyState::otherCodesNeverPressed() {
    X11KeyStateSource source(display->name());
    QVERIFY(display->xdotool({QStringLiteral("keydown"), QStringLiteral("a")}));
    QTest::qWait(50);
    for (qint32 code : {0, 65, 0x41, 255, -1, 100000})
        QCOMPARE(source.keyState(code), qint16(0));
    QVERIFY(display->xdotool({QStringLiteral("keyup"), QStringLiteral("a")}));
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
    QVERIFY(own.xdotool({QStringLiteral("keydown"), QStringLiteral("XF86AudioMute")}));
    QCOMPARE(nextStateOtherThan(source, 173, 0), kFresh);
    own.stop();
    // The program goes on; the keys read as not pressed from now on.
    QCOMPARE(nextStateOtherThan(source, 173, kHeld), qint16(0));
    QVERIFY(!source.isAvailable());
    QCOMPARE(source.keyState(173), qint16(0));
}

QTEST_GUILESS_MAIN(TestX11KeyState)
#include "tst_x11_keystate.moc"
