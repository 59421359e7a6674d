// The player remote's own rules over a scripted back-end: when it searches, what it asks the
// player, and how the displayed title is cut.
#include "winamp/Modul_Winamp.h"
#include "winamp/PlayerBackend.h"

#include <QTest>

namespace {

// Answers from fields and counts what the remote asked.
class ScriptedPlayer : public PlayerBackend {
public:
    WinampHandle found = 0;
    qint16 answer = 0;
    QString title;

    int searches = 0;
    QList<QPair<WinampHandle, qint32>> posted;
    QList<QPair<WinampHandle, int>> statusRequests; // handle, time-out
    QList<WinampHandle> titleRequests;

    WinampHandle find() override {
        ++searches;
        return found;
    }
    void postCommand(WinampHandle player, qint32 id) override { posted.append({player, id}); }
    qint16 status(WinampHandle player, int timeoutMs) override {
        statusRequests.append({player, timeoutMs});
        return answer;
    }
    QString windowTitle(WinampHandle player) override {
        titleRequests.append(player);
        return title;
    }
};

} // namespace

class TestWinampModule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void commandSearchesOnlyWithoutHandle_data();
    void commandSearchesOnlyWithoutHandle();
    void statusNeverSearches_data();
    void statusNeverSearches();
    void titleRemovesSuffix_data();
    void titleRemovesSuffix();
    void titleLeavesHandleAlone();

private:
    ScriptedPlayer *m_player = nullptr;
    std::unique_ptr<PlayerBackend> m_previous;
};

void TestWinampModule::init() {
    auto player = std::make_unique<ScriptedPlayer>();
    m_player = player.get();
    m_previous = setPlayerBackend(std::move(player));
    hWndWinamp = 0;
}

void TestWinampModule::cleanup() {
    setPlayerBackend(std::move(m_previous));
    m_player = nullptr;
    hWndWinamp = 0;
}

void TestWinampModule::commandSearchesOnlyWithoutHandle_data() {
    QTest::addColumn<qintptr>("stored");
    QTest::addColumn<qintptr>("running");
    QTest::addColumn<int>("searches");
    QTest::addColumn<qintptr>("postedTo"); // 0: nothing posted
    QTest::addRow("no handle, player runs") << qintptr(0) << qintptr(42) << 1 << qintptr(42);
    QTest::addRow("no handle, no player") << qintptr(0) << qintptr(0) << 1 << qintptr(0);
    // A kept handle is used as it is, even if the player has gone or another one runs.
    QTest::addRow("kept handle") << qintptr(7) << qintptr(42) << 0 << qintptr(7);
    QTest::addRow("kept handle, no player") << qintptr(7) << qintptr(0) << 0 << qintptr(7);
}

void TestWinampModule::commandSearchesOnlyWithoutHandle() {
    QFETCH(qintptr, stored);
    QFETCH(qintptr, running);
    QFETCH(int, searches);
    QFETCH(qintptr, postedTo);
    hWndWinamp = stored;
    m_player->found = running;

    WinampCommand(VelmoraWinamp_NEXTSONG);

    QCOMPARE(m_player->searches, searches);
    QCOMPARE(hWndWinamp, stored != 0 ? stored : running);
    if (postedTo == 0) {
        QVERIFY(m_player->posted.isEmpty());
    } else {
        QCOMPARE(m_player->posted.size(), 1);
        QCOMPARE(m_player->posted.first().first, postedTo);
        QCOMPARE(m_player->posted.first().second, qint32(40048));
    }
}

void TestWinampModule::statusNeverSearches_data() {
    QTest::addColumn<qintptr>("stored");
    QTest::addColumn<qint16>("answer");
    QTest::addColumn<qint16>("status");
    QTest::addRow("playing") << qintptr(7) << qint16(1) << qint16(1);
    QTest::addRow("paused") << qintptr(7) << qint16(3) << qint16(3);
    QTest::addRow("no handle") << qintptr(0) << qint16(1) << qint16(0);
}

void TestWinampModule::statusNeverSearches() {
    QFETCH(qintptr, stored);
    QFETCH(qint16, answer);
    QFETCH(qint16, status);
    hWndWinamp = stored;
    m_player->found = 42;
    m_player->answer = answer;

    QCOMPARE(GetWinampStatus(), status);
    QCOMPARE(m_player->searches, 0);
    QCOMPARE(hWndWinamp, stored);
    if (stored != 0) {
        QCOMPARE(m_player->statusRequests.size(), 1);
        QCOMPARE(m_player->statusRequests.first().first, stored);
        QCOMPARE(m_player->statusRequests.first().second, 1000);
    }
}

void TestWinampModule::titleRemovesSuffix_data() {
    QTest::addColumn<QString>("windowText");
    QTest::addColumn<QString>("shown");
    QTest::addRow("suffix") << "x - Winamp"
                            << "x";
    QTest::addRow("upper case") << "X - WINAMP"
                                << "X";
    QTest::addRow("mixed case") << "Song - wInAmP"
                                << "Song";
    QTest::addRow("in the middle too") << "a - Winamp - b - Winamp"
                                       << "a - b";
    QTest::addRow("suffix alone") << " - Winamp"
                                  << "";
    QTest::addRow("no suffix") << "Artist - Song"
                               << "Artist - Song";
    QTest::addRow("word without the dash") << "Winamp 2.91"
                                           << "Winamp 2.91";
    QTest::addRow("two blanks before the dash") << "a  -  Winamp"
                                                << "a  -  Winamp";
    QTest::addRow("empty") << ""
                           << "";
}

void TestWinampModule::titleRemovesSuffix() {
    QFETCH(QString, windowText);
    QFETCH(QString, shown);
    m_player->found = 42;
    m_player->title = windowText;
    QCOMPARE(GetWinampTitle(), shown);
    QCOMPARE(m_player->titleRequests, QList<WinampHandle>{42});
}

void TestWinampModule::titleLeavesHandleAlone() {
    // The title display searches on its own and keeps what it found to itself.
    hWndWinamp = 7;
    m_player->found = 42;
    m_player->title = QStringLiteral("Song - Winamp");
    QCOMPARE(GetWinampTitle(), QStringLiteral("Song"));
    QCOMPARE(hWndWinamp, qintptr(7));

    // Without a player the window text is not asked for at all.
    m_player->found = 0;
    m_player->titleRequests.clear();
    QCOMPARE(GetWinampTitle(), QString());
    QVERIFY(m_player->titleRequests.isEmpty());
    QCOMPARE(GetWindowTitle(0), QString());
}

QTEST_GUILESS_MAIN(TestWinampModule)
#include "tst_winamp_module.moc"
