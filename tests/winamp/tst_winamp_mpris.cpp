// The MPRIS back-end against the tests' own player on a private session bus: play states,
// command mapping, volume steps, titles from metadata, a player that never answers, no bus.
#include "FakeMprisPlayer.h"

#include "winamp/Modul_Winamp.h"
#include "winamp/MprisPlayerBackend.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QTest>

class TestWinampMpris : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void playState_data();
    void playState();
    void commands_data();
    void commands();
    void volumeSteps_data();
    void volumeSteps();
    void titleFromMetadata_data();
    void titleFromMetadata();
    void silentPlayer();
    void firstPlayerByName();
    void noSessionBus();

private:
    std::unique_ptr<PlayerBackend> m_previous;
};

void TestWinampMpris::initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "these tests need a session bus");
}

void TestWinampMpris::init() {
    // A fresh back-end each time, so no handle carries over from an earlier test.
    m_previous = setPlayerBackend(std::make_unique<MprisPlayerBackend>());
    hWndWinamp = 0;
}

void TestWinampMpris::cleanup() {
    setPlayerBackend(std::move(m_previous));
    hWndWinamp = 0;
}

void TestWinampMpris::playState_data() {
    QTest::addColumn<QVariant>("reported");
    QTest::addColumn<qint16>("status");
    QTest::addRow("playing") << QVariant(QStringLiteral("Playing")) << qint16(1);
    QTest::addRow("paused") << QVariant(QStringLiteral("Paused")) << qint16(3);
    QTest::addRow("stopped") << QVariant(QStringLiteral("Stopped")) << qint16(0);
    QTest::addRow("unknown word") << QVariant(QStringLiteral("playing")) << qint16(0);
    QTest::addRow("not a text") << QVariant(1) << qint16(0);
    QTest::addRow("not there") << QVariant() << qint16(0);
}

void TestWinampMpris::playState() {
    QFETCH(QVariant, reported);
    QFETCH(qint16, status);
    FakeMprisPlayer player;
    QVERIFY(player.isRegistered());
    player.setProperty(QStringLiteral("PlaybackStatus"), reported);

    hWndWinamp = FindWinamp();
    QVERIFY(hWndWinamp != 0);
    QCOMPARE(GetWinampStatus(), status);
}

void TestWinampMpris::commands_data() {
    QTest::addColumn<qint32>("id");
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("member"); // "": no call
    QTest::addColumn<QVariantList>("arguments");
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    QTest::addRow("play") << qint32(40045) << player << "Play" << QVariantList();
    QTest::addRow("pause or resume") << qint32(40046) << player << "PlayPause" << QVariantList();
    QTest::addRow("stop") << qint32(40047) << player << "Stop" << QVariantList();
    QTest::addRow("next") << qint32(40048) << player << "Next" << QVariantList();
    QTest::addRow("previous") << qint32(40198) << player << "Previous" << QVariantList();
    QTest::addRow("forward 5 s") << qint32(40060) << player << "Seek"
                                 << QVariantList{qlonglong(5000000)};
    QTest::addRow("back 5 s") << qint32(40061) << player << "Seek"
                              << QVariantList{qlonglong(-5000000)};
    QTest::addRow("quit") << qint32(40001) << "org.mpris.MediaPlayer2"
                          << "Quit" << QVariantList();
    QTest::addRow("about box has no counterpart") << qint32(40041) << ""
                                                  << "" << QVariantList();
    QTest::addRow("unknown identifier") << qint32(12345) << ""
                                        << "" << QVariantList();
    QTest::addRow("negative identifier") << qint32(-1) << ""
                                         << "" << QVariantList();
}

void TestWinampMpris::commands() {
    QFETCH(qint32, id);
    QFETCH(QString, interface);
    QFETCH(QString, member);
    QFETCH(QVariantList, arguments);
    FakeMprisPlayer player;
    QVERIFY(player.isRegistered());

    WinampCommand(id); // finds the player itself
    QVERIFY(hWndWinamp != 0);
    // Calls arrive in the order they were posted, so a marker after the command shows that
    // everything before it has arrived.
    WinampCommand(VelmoraWinamp_STOP);
    const qsizetype stops = member == QLatin1String("Stop") ? 2 : 1;
    QTRY_VERIFY(player.calls(QStringLiteral("Stop")).size() >= stops);

    QList<FakeMprisPlayer::Call> calls = player.calls();
    calls.removeLast(); // the marker
    if (member.isEmpty()) {
        QCOMPARE(calls.size(), 0);
        return;
    }
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().interface, interface);
    QCOMPARE(calls.first().member, member);
    QCOMPARE(calls.first().arguments, arguments);
}

void TestWinampMpris::volumeSteps_data() {
    QTest::addColumn<QVariant>("volume");
    QTest::addColumn<qint32>("id");
    QTest::addColumn<double>("set"); // < 0: nothing written
    QTest::addRow("up") << QVariant(0.5) << qint32(40058) << 0.55;
    QTest::addRow("down") << QVariant(0.5) << qint32(40059) << 0.45;
    QTest::addRow("up to full") << QVariant(0.98) << qint32(40058) << 1.0;
    QTest::addRow("down to silence") << QVariant(0.02) << qint32(40059) << 0.0;
    QTest::addRow("silent stays silent") << QVariant(0.0) << qint32(40059) << 0.0;
    QTest::addRow("above full is kept") << QVariant(1.2) << qint32(40058) << 1.2;
    QTest::addRow("above full steps down") << QVariant(1.2) << qint32(40059) << 1.15;
    QTest::addRow("volume not a number")
        << QVariant(QStringLiteral("loud")) << qint32(40058) << -1.0;
    QTest::addRow("volume not there") << QVariant() << qint32(40058) << -1.0;
}

void TestWinampMpris::volumeSteps() {
    QFETCH(QVariant, volume);
    QFETCH(qint32, id);
    QFETCH(double, set);
    FakeMprisPlayer player;
    QVERIFY(player.isRegistered());
    player.setProperty(QStringLiteral("Volume"), volume);

    WinampCommand(id);
    QTRY_VERIFY(!player.calls(QStringLiteral("Get")).isEmpty());
    if (set < 0) {
        // The write would follow the read at once; give it time to show up if it were sent.
        QTest::qWait(300);
        QVERIFY(player.calls(QStringLiteral("Set")).isEmpty());
        return;
    }
    QTRY_COMPARE(player.calls(QStringLiteral("Set")).size(), 1);
    const QVariantList arguments = player.calls(QStringLiteral("Set")).first().arguments;
    QCOMPARE(arguments.value(0).toString(), QStringLiteral("org.mpris.MediaPlayer2.Player"));
    QCOMPARE(arguments.value(1).toString(), QStringLiteral("Volume"));
    const double written = qvariant_cast<QDBusVariant>(arguments.value(2)).variant().toDouble();
    QVERIFY2(qAbs(written - set) < 1e-9, qPrintable(QString::number(written)));
}

void TestWinampMpris::titleFromMetadata_data() {
    QTest::addColumn<QVariant>("metadata");
    QTest::addColumn<QString>("windowText");
    QTest::addColumn<QString>("shown");
    const auto meta = [](std::initializer_list<std::pair<const char *, QVariant>> entries) {
        QVariantMap map;
        for (const auto &[key, value] : entries)
            map.insert(QString::fromLatin1(key), value);
        return QVariant(map);
    };
    const QStringList artist{QStringLiteral("The Artist")};
    QTest::addRow("artist and title")
        << meta({{"xesam:artist", artist}, {"xesam:title", QStringLiteral("Song")}})
        << "The Artist - Song - Winamp"
        << "The Artist - Song";
    QTest::addRow("two artists") << meta({{"xesam:artist",
                                           QStringList{QStringLiteral("A"), QStringLiteral("B")}},
                                          {"xesam:title", QStringLiteral("Song")}})
                                 << "A, B - Song - Winamp"
                                 << "A, B - Song";
    QTest::addRow("artist as a single text")
        << meta({{"xesam:artist", QStringLiteral("Solo")}, {"xesam:title", QStringLiteral("Song")}})
        << "Solo - Song - Winamp"
        << "Solo - Song";
    QTest::addRow("empty artist list")
        << meta({{"xesam:artist", QStringList{}}, {"xesam:title", QStringLiteral("Song")}})
        << "Song - Winamp"
        << "Song";
    QTest::addRow("title alone") << meta({{"xesam:title", QStringLiteral("Song")}})
                                 << "Song - Winamp"
                                 << "Song";
    QTest::addRow("file name when untitled")
        << meta({{"xesam:artist", artist},
                 {"xesam:url", QStringLiteral("file:///music/My%20Song.flac")}})
        << "The Artist - My Song.flac - Winamp"
        << "The Artist - My Song.flac";
    QTest::addRow("file name when the title is blank")
        << meta({{"xesam:title", QStringLiteral("  ")},
                 {"xesam:url", QStringLiteral("file:///music/b.ogg")}})
        << "b.ogg - Winamp"
        << "b.ogg";
    QTest::addRow("title not a text")
        << meta({{"xesam:title", 5}, {"xesam:url", QStringLiteral("file:///m/c.mp3")}})
        << "c.mp3 - Winamp"
        << "c.mp3";
    QTest::addRow("stream without a file name")
        << meta({{"xesam:url", QStringLiteral("http://radio.example/")}}) << ""
        << "";
    QTest::addRow("nothing loaded") << meta({}) << ""
                                    << "";
    QTest::addRow("metadata not a dictionary") << QVariant(QStringLiteral("Song")) << ""
                                               << "";
    QTest::addRow("metadata not there") << QVariant() << ""
                                        << "";
    // The display takes every " - Winamp" out, the one the back-end adds and any in the title.
    QTest::addRow("title with the suffix in capitals")
        << meta({{"xesam:title", QStringLiteral("X - WINAMP")}}) << "X - WINAMP - Winamp"
        << "X";
    QTest::addRow("title with the suffix inside")
        << meta({{"xesam:title", QStringLiteral("a - Winamp - b")}}) << "a - Winamp - b - Winamp"
        << "a - b";
}

void TestWinampMpris::titleFromMetadata() {
    QFETCH(QVariant, metadata);
    QFETCH(QString, windowText);
    QFETCH(QString, shown);
    FakeMprisPlayer player;
    QVERIFY(player.isRegistered());
    player.setProperty(QStringLiteral("Metadata"), metadata);

    QCOMPARE(GetWindowTitle(FindWinamp()), windowText);
    QCOMPARE(GetWinampTitle(), shown);
}

void TestWinampMpris::silentPlayer() {
    FakeMprisPlayer player;
    QVERIFY(player.isRegistered());
    player.setSilent(true);
    hWndWinamp = FindWinamp();
    QVERIFY(hWndWinamp != 0);

    // The status request gives up after a second; the bound is kept generous.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(GetWinampStatus(), qint16(0));
    QCOMPARE(GetWinampTitle(), QString());
    QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));

    // Commands are not waited for: a blocking call would take the bus's 25 s default.
    clock.restart();
    WinampCommand(VelmoraWinamp_NEXTSONG);
    WinampCommand(VelmoraWinamp_VOLUMEUP);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY(!player.calls(QStringLiteral("Next")).isEmpty());
}

void TestWinampMpris::firstPlayerByName() {
    FakeMprisPlayer later(QStringLiteral("zz"));
    FakeMprisPlayer first(QStringLiteral("aa"));
    QVERIFY(later.isRegistered() && first.isRegistered());
    first.setProperty(QStringLiteral("Metadata"),
                      QVariantMap{{QStringLiteral("xesam:title"), QStringLiteral("First")}});
    later.setProperty(QStringLiteral("Metadata"),
                      QVariantMap{{QStringLiteral("xesam:title"), QStringLiteral("Later")}});

    const WinampHandle found = FindWinamp();
    QVERIFY(found != 0);
    QCOMPARE(FindWinamp(), found); // the same player keeps its handle
    QCOMPARE(GetWinampTitle(), QStringLiteral("First"));

    // When it ends, the other player is found under a handle of its own.
    first.quit();
    QTRY_VERIFY(FindWinamp() != found);
    QVERIFY(FindWinamp() != 0);
    QCOMPARE(GetWinampTitle(), QStringLiteral("Later"));
}

void TestWinampMpris::noSessionBus() {
    FakeMprisPlayer player; // on the bus, but out of reach of this back-end
    setPlayerBackend(std::make_unique<MprisPlayerBackend>(
        QDBusConnection(QStringLiteral("velmora-no-such-connection"))));

    QCOMPARE(FindWinamp(), WinampHandle(0));
    WinampCommand(VelmoraWinamp_JMP_STARTPOS);
    QCOMPARE(hWndWinamp, WinampHandle(0));
    hWndWinamp = 1;
    QCOMPARE(GetWinampStatus(), qint16(0));
    WinampCommand(VelmoraWinamp_JMP_STARTPOS);
    QCOMPARE(GetWindowTitle(1), QString());
    QCOMPARE(GetWinampTitle(), QString());
    QTest::qWait(100);
    QVERIFY(player.calls().isEmpty());
}

QTEST_GUILESS_MAIN(TestWinampMpris)
#include "tst_winamp_mpris.moc"
