// The schedule without windows: parsing lines, building them from the dialog's fields, the
// due and re-arm rule across days on a standing clock, and the script file bytes.
#include "errors/RuntimeError.h"
#include "support/FakeClock.h"
#include "timecontrol/ScheduleRules.h"
#include "timecontrol/ScriptFile.h"
#include "timecontrol/clsTimeControl.h"

#include <QTest>

class TestTimeControlCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLine_data();
    void parseLine();
    void positionsCountFromOne();
    void buildLine_data();
    void buildLine();
    void dueAndRearm_data();
    void dueAndRearm();
    void scriptBytes_data();
    void scriptBytes();
};

void TestTimeControlCore::parseLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields"); // time, date, description, command; empty: error
    QTest::addRow("daily receiver action")
        << "07:30 ,Every day  ,Power On ,07A1D"
        << QStringList{"07:30", "Every day", "Power On", "07A1D"};
    QTest::addRow("dated") << "07:30 ,24.12.2006 ,Power On ,07A1D"
                           << QStringList{"07:30", "24.12.2006", "Power On", "07A1D"};
    QTest::addRow("player action")
        << "22:00 ,Every day  ,Winamp stop" << QStringList{"22:00", "Every day", "Winamp stop", ""};
    QTest::addRow("fourth comma kept in the command")
        << "07:30 ,Every day  ,Send ,07A1D, ,x"
        << QStringList{"07:30", "Every day", "Send", "07A1D, ,x"};
    QTest::addRow("character before the comma dropped unseen")
        << "07:30X,24.12.2006Y,Power On ,07A1D"
        << QStringList{"07:30", "24.12.2006", "Power On", "07A1D"};
    QTest::addRow("one-character fields") << "7,1,x" << QStringList{"", "", "x", ""};
    QTest::addRow("empty hour") << ":05 ,Every day  ,Winamp play"
                                << QStringList{":05", "Every day", "Winamp play", ""};
    QTest::addRow("empty description")
        << "07:30 ,Every day  ,,07A1D" << QStringList{"07:30", "Every day", "", "07A1D"};
    QTest::addRow("no comma") << "07:30 Every day Power On" << QStringList{};
    QTest::addRow("one comma") << "07:30 ,Every day" << QStringList{};
    QTest::addRow("empty first field") << ",Every day  ,Power On ,07A1D" << QStringList{};
    QTest::addRow("empty second field") << "07:30 ,,Power On ,07A1D" << QStringList{};
    QTest::addRow("empty line") << "" << QStringList{};
}

void TestTimeControlCore::parseLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    clsTimeControl schedule;
    try {
        schedule.Add(line);
    } catch (const RuntimeError &e) {
        QVERIFY2(fields.isEmpty(), qPrintable(e.description()));
        QCOMPARE(e.number(), ErrNr::InvalidProcedureCall);
        QCOMPARE(schedule.Count(), 0L);
        return;
    }
    QVERIFY2(!fields.isEmpty(), "parsed a line that must fail");
    const clsTimeControlItem &item = schedule.Item(1);
    QCOMPARE((QStringList{item.stTime, item.stDate, item.stDescription, item.stCommand}), fields);
    QVERIFY(!item.bDisable);
}

void TestTimeControlCore::positionsCountFromOne() {
    clsTimeControl schedule;
    for (const char *line :
         {"01:00 ,Every day  ,A", "02:00 ,Every day  ,B", "03:00 ,Every day  ,C"})
        schedule.Add(QString::fromLatin1(line));
    schedule.Remove(2);
    QCOMPARE(schedule.Count(), 2L);
    QCOMPARE(schedule.Item(2).stDescription, QStringLiteral("C"));
    for (long bad : {0L, 3L}) {
        try {
            schedule.Item(bad);
            QFAIL("no error for a position that holds no entry");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.number(), ErrNr::SubscriptOutOfRange);
        }
    }
}

void TestTimeControlCore::buildLine_data() {
    QTest::addColumn<QStringList>("in"); // hour, minute, day, month, year
    QTest::addColumn<bool>("dated");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("out"); // the fields as written back
    QTest::addColumn<QString>("line");    // "" for "Select action first !"
    const QString power = QStringLiteral("Power On ,07A1D");
    QTest::addRow("padded, year from today")
        << QStringList{"7", "5", "3", "4", "06"} << true << power
        << QStringList{"07", "05", "03", "04", "2026"} << "07:05 ,03.04.2026 ,Power On ,07A1D";
    QTest::addRow("upper bounds") << QStringList{"30", "75", "40", "13", "2031"} << true << power
                                  << QStringList{"23", "00", "31", "12", "2031"}
                                  << "23:00 ,31.12.2031 ,Power On ,07A1D";
    QTest::addRow("bounds themselves kept")
        << QStringList{"23", "59", "31", "12", "2031"} << true << power
        << QStringList{"23", "59", "31", "12", "2031"} << "23:59 ,31.12.2031 ,Power On ,07A1D";
    QTest::addRow("no lower bound, empty hour")
        << QStringList{"", "0", "0", "00", "2026"} << true << power
        << QStringList{"", "00", "00", "00", "2026"} << ":00 ,00.00.2026 ,Power On ,07A1D";
    QTest::addRow("not a number counts as 0")
        << QStringList{"ab", "9x", "1", "1", "2026"} << false << power
        << QStringList{"ab", "9x", "01", "01", "2026"} << "ab:9x ,Every day  ,Power On ,07A1D";
    QTest::addRow("typed player action")
        << QStringList{"22", "00", "1", "1", "2026"} << false << "WINAMP pause"
        << QStringList{"22", "00", "01", "01", "2026"} << "22:00 ,Every day  ,WINAMP pause";
    QTest::addRow("no action, fields still corrected")
        << QStringList{"7", "99", "1", "1", "26"} << false << ""
        << QStringList{"07", "00", "01", "01", "2026"} << "";
    QTest::addRow("a label without code")
        << QStringList{"07", "00", "01", "01", "2026"} << false << "Power On"
        << QStringList{"07", "00", "01", "01", "2026"} << "";
}

void TestTimeControlCore::buildLine() {
    QFETCH(QStringList, in);
    QFETCH(bool, dated);
    QFETCH(QString, action);
    QFETCH(QStringList, out);
    QFETCH(QString, line);
    ScheduleFields f{in[0], in[1], in[2], in[3], in[4], dated, action};
    const std::optional<QString> built = buildScheduleLine(f, QStringLiteral("07.12.2026"));
    QCOMPARE(built.value_or(QString()), line);
    QCOMPARE((QStringList{f.hour, f.minute, f.day, f.month, f.year}), out);
}

void TestTimeControlCore::dueAndRearm_data() {
    QTest::addColumn<QStringList>("lines");
    // Clock texts of successive ticks, each followed by ">n" (entry n fires) or ">0".
    QTest::addColumn<QStringList>("ticks");
    QTest::addRow("daily: once a minute, re-armed after it, again the next day")
        << QStringList{"07:30 ,Every day  ,Power On ,07A1D"}
        << QStringList{"07.12.2026 07:29:59>0", "07.12.2026 07:30:00>1", "07.12.2026 07:30:59>0",
                       "07.12.2026 07:31:00>0", "07.12.2026 23:59:59>0", "08.12.2026 07:29:59>0",
                       "08.12.2026 07:30:00>1"};
    QTest::addRow("23:59 is never re-armed by the clock")
        << QStringList{"23:59 ,Every day  ,Power Off ,07A1E"}
        << QStringList{"07.12.2026 23:59:00>1", "08.12.2026 00:00:00>0", "08.12.2026 23:59:00>0"};
    QTest::addRow("two entries in one minute fire on successive ticks, in list order")
        << QStringList{"07:30 ,Every day  ,A ,07A1D", "07:30 ,Every day  ,B ,07A16"}
        << QStringList{"07.12.2026 07:30:00>1", "07.12.2026 07:30:00>2", "07.12.2026 07:30:01>0"};
    QTest::addRow("dated: only on its date, once")
        << QStringList{"22:00 ,24.12.2026 ,Power On ,07A1D"}
        << QStringList{"23.12.2026 22:00:00>0", "24.12.2026 21:59:59>0", "24.12.2026 22:00:00>1",
                       "24.12.2026 22:01:00>0", "25.12.2026 22:00:00>0"};
    QTest::addRow("old daily marker")
        << QStringList{"06:00 ,jeden Tag ,Power On ,07A1D"} << QStringList{"07.12.2026 06:00:00>1"};
    QTest::addRow("a time not in the clock's layout never fires")
        << QStringList{"7:30 ,Every day  ,Power On ,07A1D"}
        << QStringList{"07.12.2026 07:30:00>0", "07.12.2026 17:30:00>0"};
}

void TestTimeControlCore::dueAndRearm() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, ticks);
    clsTimeControl schedule;
    for (const QString &line : lines)
        schedule.Add(line);
    FakeClock clock(QStringLiteral("01.01.2000 00:00:00"));
    for (const QString &tick : ticks) {
        const QStringList parts = tick.split(QLatin1Char('>'));
        clock.set(parts[0]);
        // The timer's pass: the due entry is marked fired.
        const long due = findDueEntry(schedule, clockToday(), clockTime());
        if (due != 0) schedule.Item(due).bDisable = true;
        QVERIFY2(due == parts[1].toLong(), qPrintable(tick + " fired " + QString::number(due)));
    }
}

void TestTimeControlCore::scriptBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addRow("CR LF lines") << QByteArray("07:30 ,Every day  ,Winamp play\r\n:05 ,x ,y\r\n")
                                 << QStringList{"07:30 ,Every day  ,Winamp play", ":05 ,x ,y"};
    QTest::addRow("empty") << QByteArray() << QStringList{};
    QTest::addRow("empty line kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QByteArray high;
    QString highText;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high += char(b);
        highText += QChar(b);
    }
    QTest::addRow("bytes 0x80 to 0xFF") << high + "\r\n" << QStringList{highText};
}

void TestTimeControlCore::scriptBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(::scriptBytes(lines), bytes);
    QCOMPARE(scriptLines(bytes), lines);
    // Files written elsewhere: lone line ends and a last line without its end.
    QCOMPARE(scriptLines("a\nb\rc"), (QStringList{"a", "b", "c"}));
}

QTEST_GUILESS_MAIN(TestTimeControlCore)
#include "tst_timecontrol_core.moc"
