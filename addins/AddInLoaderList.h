// The add-in loader objects whose loading succeeded; they stay until the program ends.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class AddInLoaderList {
public:
    void Add(QObject *loader) { m_items.append(loader); }
    long Count() const { return static_cast<long>(m_items.size()); }
    // Removes the last entry; shutdown empties the list from the last entry to the first.
    void RemoveLast() {
        if (!m_items.isEmpty()) m_items.removeLast();
    }

private:
    QList<QPointer<QObject>> m_items;
};
