// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in objects whose loading succeeded; they stay until the program ends.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

class AddInLoaderList {
public:
    void Add(std::unique_ptr<QObject> loader) { m_items.push_back(std::move(loader)); }
    long Count() const { return static_cast<long>(m_items.size()); }
    // Releases the last entry; shutdown empties the list from the last entry to the first.
    void RemoveLast() {
        if (!m_items.empty()) m_items.pop_back();
    }
    ~AddInLoaderList() {
        while (!m_items.empty())
            m_items.pop_back();
    }

private:
    std::vector<std::unique_ptr<QObject>> m_items;
};
