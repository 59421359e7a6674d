// SPDX-License-Identifier: GPL-3.0-or-later
// Schedule lines from the dialog's fields, and the due and re-arm rule.
#include "timecontrol/ScheduleRules.h"

#include "base/ConfigValues.h"
#include "timecontrol/clsTimeControl.h"

QString trimBlanks(const QString &text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

namespace {
void padAndLimit(QString &field, long highest, const char *replacement) {
    if (field.size() == 1) field.prepend(QLatin1Char('0'));
    // A text that is not a number counts as 0; there is no lower bound.
    if (configNumber(field) > highest) field = QString::fromLatin1(replacement);
}
} // namespace

std::optional<QString> buildScheduleLine(ScheduleFields &f, const QString &today) {
    padAndLimit(f.minute, 59, "00");
    padAndLimit(f.hour, 23, "23");
    padAndLimit(f.day, 31, "31");
    padAndLimit(f.month, 12, "12");
    if (f.year.size() < 4) f.year = today.right(4);

    if (!f.action.contains(QLatin1String("winamp"), Qt::CaseInsensitive) &&
        !f.action.contains(QLatin1Char(',')))
        return std::nullopt;
    const QString time = f.hour + QLatin1Char(':') + f.minute;
    if (f.dated)
        return time + QStringLiteral(" ,") + f.day + QLatin1Char('.') + f.month + QLatin1Char('.') +
               f.year + QStringLiteral(" ,") + f.action;
    return time + QStringLiteral(" ,Every day  ,") + f.action;
}

bool isDailyEntry(const QString &stDate) {
    const QString marker = trimBlanks(stDate.left(5).toUpper());
    return marker == QLatin1String("EVERY") || marker == QLatin1String("JEDEN");
}

long findDueEntry(clsTimeControl &schedule, const QString &today, const QString &now) {
    const long n = schedule.Count();
    for (long i = 1; i <= n; ++i) {
        clsTimeControlItem &item = schedule.Item(i);
        const bool daily = isDailyEntry(item.stDate);
        if (item.bDisable) {
            // Armed again by the first look in a later minute; a time compares as text.
            if (daily && item.stTime < now) item.bDisable = false;
            continue;
        }
        if ((today == item.stDate || daily) && now == item.stTime) return i;
    }
    return 0;
}
