// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule without windows: parsing lines, positions, and the due and re-arm rule across
// days on a standing clock.
#include "base/RuntimeError.h"
#include "support/DataRows.h"
#include "support/FakeClock.h"
#include "timecontrol/ScheduleRules.h"
#include "timecontrol/clsTimeControl.h"

class TestTimeControlCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLine_data() {
        // fields: time, date, description, command; none: an error
        columns<QString, QStringList>("line", "fields");
        const QStringList error;
        row("daily receiver action", "07:30 ,Every day  ,Power On ,07A1D",
            QStringList{"07:30", "Every day", "Power On", "07A1D"});
        row("player action", "22:00 ,Every day  ,Winamp stop",
            QStringList{"22:00", "Every day", "Winamp stop", ""});
        row("fourth comma kept in the command", "07:30 ,Every day  ,Send ,07A1D, ,x",
            QStringList{"07:30", "Every day", "Send", "07A1D, ,x"});
        row("character before the comma dropped unseen", "07:30X,24.12.2006Y,Power On ,07A1D",
            QStringList{"07:30", "24.12.2006", "Power On", "07A1D"});
        row("one comma", "07:30 ,Every day", error);
        row("empty first field", ",Every day  ,Power On ,07A1D", error);
        row("empty second field", "07:30 ,,Power On ,07A1D", error);
    }
    void parseLine() {
        FETCH((QString, QStringList), line, fields);
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
        QCOMPARE((QStringList{item.stTime, item.stDate, item.stDescription, item.stCommand}),
                 fields);
        QVERIFY(!item.bDisable);
    }

    void positionsCountFromOne() {
        clsTimeControl schedule;
        for (const char *line : {"01:00 ,Every day  ,A", "02:00 ,Every day  ,B", "03:00 ,x ,C"})
            schedule.Add(line);
        schedule.Remove(2);
        QCOMPARE(schedule.Count(), 2L);
        QCOMPARE(schedule.Item(2).stDescription, "C");
        for (long bad : {0L, 3L})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, schedule.Item(bad));
    }

    void dueAndRearm_data() {
        // Clock texts of successive ticks, each followed by ">n" (entry n fires) or ">0".
        columns<QStringList, QStringList>("lines", "ticks");
        row("daily: once a minute, re-armed after it, again the next day",
            QStringList{"07:30 ,Every day  ,Power On ,07A1D"},
            QStringList{"07.12.2026 07:29:59>0", "07.12.2026 07:30:00>1", "07.12.2026 07:30:59>0",
                        "07.12.2026 07:31:00>0", "07.12.2026 23:59:59>0", "08.12.2026 07:29:59>0",
                        "08.12.2026 07:30:00>1"});
        row("23:59 is never re-armed by the clock",
            QStringList{"23:59 ,Every day  ,Power Off ,07A1E"},
            QStringList{"07.12.2026 23:59:00>1", "08.12.2026 00:00:00>0", "08.12.2026 23:59:00>0"});
        row("two entries in one minute fire on successive ticks, in list order",
            QStringList{"07:30 ,Every day  ,A ,07A1D", "07:30 ,Every day  ,B ,07A16"},
            QStringList{"07.12.2026 07:30:00>1", "07.12.2026 07:30:00>2", "07.12.2026 07:30:01>0"});
        row("dated: only on its date, once", QStringList{"22:00 ,24.12.2026 ,Power On ,07A1D"},
            QStringList{"23.12.2026 22:00:00>0", "24.12.2026 21:59:59>0", "24.12.2026 22:00:00>1",
                        "24.12.2026 22:01:00>0", "25.12.2026 22:00:00>0"});
        row("old daily marker", QStringList{"06:00 ,jeden Tag ,Power On ,07A1D"},
            QStringList{"07.12.2026 06:00:00>1"});
        row("a time not in the clock's layout never fires",
            QStringList{"7:30 ,Every day  ,Power On ,07A1D"},
            QStringList{"07.12.2026 07:30:00>0", "07.12.2026 17:30:00>0"});
    }
    void dueAndRearm() {
        FETCH((QStringList, QStringList), lines, ticks);
        clsTimeControl schedule;
        for (const QString &line : lines)
            schedule.Add(line);
        FakeClock clock("01.01.2000 00:00:00");
        for (const QString &tick : ticks) {
            clock.set(tick.section('>', 0, 0));
            // The timer's pass: the due entry is marked fired.
            const long due = findDueEntry(schedule, clockToday(), clockTime());
            if (due != 0) schedule.Item(due).bDisable = true;
            QVERIFY2(due == tick.section('>', 1).toLong(),
                     qPrintable(tick + " fired " + QString::number(due)));
        }
    }
};

QTEST_GUILESS_MAIN(TestTimeControlCore)
#include "tst_timecontrol_core.moc"
