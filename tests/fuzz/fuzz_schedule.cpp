// SPDX-License-Identifier: GPL-3.0-or-later
// Schedule script files: their lines, each parsed, and one pass of the schedule over them.
#include "FuzzInput.h"
#include "base/RuntimeError.h"
#include "timecontrol/ScheduleRules.h"
#include "timecontrol/ScriptFile.h"
#include "timecontrol/clsTimeControl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    clsTimeControl schedule;
    for (const QString &line : scriptLines(bytes)) {
        try {
            schedule.Add(line);
        } catch (const RuntimeError &) {
            // a line the dialog shows in the error box
        }
    }
    for (int tick = 0; tick < 3; ++tick)
        if (const long due =
                findDueEntry(schedule, QStringLiteral("24.12.2026"), QStringLiteral("07:30")))
            schedule.Item(due).bDisable = true;
    ScheduleFields fields{
        QString::fromLatin1(bytes.left(2)),   QString::fromLatin1(bytes.mid(2, 2)),
        QString::fromLatin1(bytes.mid(4, 2)), QString::fromLatin1(bytes.mid(6, 2)),
        QString::fromLatin1(bytes.mid(8, 4)), size % 2 == 0,
        QString::fromLatin1(bytes.mid(12))};
    (void)buildScheduleLine(fields, QStringLiteral("07.12.2026"));
    return 0;
}
