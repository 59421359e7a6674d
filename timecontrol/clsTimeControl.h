// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule: parsed schedule lines in list order, read by the main window's schedule timer.
#pragma once

#include <QString>
#include <vector>

// One scheduled action.
struct clsTimeControlItem {
    QString stDescription; // the action's label
    QString stCommand;     // the receiver command code; "" for a media-player action
    QString stDate;        // "dd.mm.yyyy", or a daily marker ("Every day")
    QString stTime;        // "hh:mm"
    bool bDisable = false; // set once the entry has fired
};

class clsTimeControl {
public:
    // Parses one schedule line and appends the entry. Only the first three commas separate
    // fields; the character before each of the first two commas is the separator blank and is
    // dropped unseen. Throws error 5 for a line with fewer than two commas or with an empty
    // first or second field.
    void Add(const QString &stItem);
    long Count() const { return static_cast<long>(m_items.size()); }
    // The entry at position lItem, counted from 1; error 9 for a position that holds none.
    clsTimeControlItem &Item(long lItem);
    void Remove(long lItem);

private:
    std::vector<clsTimeControlItem> m_items;
};
