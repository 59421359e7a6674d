// SPDX-License-Identifier: GPL-3.0-or-later
// A control array: controls of one group sharing a name, addressed by an index from Lo to Hi.
// An index that names no control is run-time error 9, as a stored value naming no menu item is.
#pragma once

#include "base/RuntimeError.h"

#include <array>

template <class T, int Lo, int Hi>
class ControlArray {
public:
    static constexpr int lowest() { return Lo; }
    static constexpr int highest() { return Hi; }

    T *operator()(int index) const {
        if (index < Lo || index > Hi || !m_items[index - Lo])
            RuntimeError::subscriptOutOfRange(QStringLiteral("Velmora"));
        return m_items[index - Lo];
    }
    // For building the array.
    void set(int index, T *control) { m_items.at(index - Lo) = control; }
    bool contains(int index) const { return index >= Lo && index <= Hi && m_items[index - Lo]; }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::array<T *, Hi - Lo + 1> m_items{};
};

// Moves a group's check mark onto the item with this index. The item is looked up before
// anything changes: an index that names no item (error 9) leaves the group as it was.
template <class T, int Lo, int Hi>
void checkOnly(const ControlArray<T, Lo, Hi> &items, int index) {
    T *chosen = items(index);
    for (T *item : items)
        if (item) item->setChecked(false);
    chosen->setChecked(true);
}
