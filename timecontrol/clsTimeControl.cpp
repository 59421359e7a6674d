// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing of schedule lines into the schedule.
#include "timecontrol/clsTimeControl.h"

#include "base/Globals.h"
#include "base/RuntimeError.h"
#include "timecontrol/ScheduleRules.h"

// The active schedule (declared with the program's globals).
std::shared_ptr<clsTimeControl> gTimeControl;

namespace {
[[noreturn]] void invalidLine(const QString &line) {
    throw RuntimeError(ErrNr::InvalidProcedureCall,
                       RuntimeError::standardText(ErrNr::InvalidProcedureCall) +
                           QStringLiteral(" (schedule line \"%1\")").arg(line),
                       QStringLiteral("clsTimeControl"));
}
} // namespace

void clsTimeControl::Add(const QString &stItem) {
    // Positions of the first three commas, from 0; -1 when missing.
    const qsizetype c1 = stItem.indexOf(QLatin1Char(','));
    const qsizetype c2 = c1 < 0 ? -1 : stItem.indexOf(QLatin1Char(','), c1 + 1);
    // Each of the first two fields needs at least the one character that is dropped.
    if (c1 < 1 || c2 < 0 || c2 - c1 < 2) invalidLine(stItem);
    const qsizetype c3 = stItem.indexOf(QLatin1Char(','), c2 + 1);

    clsTimeControlItem item;
    item.stTime = trimBlanks(stItem.left(c1 - 1));
    item.stDate = trimBlanks(stItem.mid(c1 + 1, c2 - c1 - 2));
    if (c3 >= 0) {
        item.stDescription = trimBlanks(stItem.mid(c2 + 1, c3 - c2 - 1));
        item.stCommand = trimBlanks(stItem.mid(c3 + 1));
    } else {
        item.stDescription = trimBlanks(stItem.mid(c2 + 1));
    }
    m_items.push_back(std::move(item));
}

clsTimeControlItem &clsTimeControl::Item(long lItem) {
    if (lItem < 1 || lItem > Count())
        RuntimeError::subscriptOutOfRange(QStringLiteral("clsTimeControl"));
    return m_items[static_cast<size_t>(lItem - 1)];
}

void clsTimeControl::Remove(long lItem) {
    if (lItem < 1 || lItem > Count())
        RuntimeError::subscriptOutOfRange(QStringLiteral("clsTimeControl"));
    m_items.erase(m_items.begin() + (lItem - 1));
}
