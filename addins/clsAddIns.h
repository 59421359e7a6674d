// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of add-ins (one instance, gAddIns) and its broadcasts.
#pragma once

#include "base/AddInBroadcast.h"
#include "link/Form_Com.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class clsAddIn;

class clsAddIns : public QObject, public AddInBroadcast {
    Q_OBJECT
public:
    // The add-ins reach the receiver over link (none: as over a closed port).
    explicit clsAddIns(Form_Com *link = nullptr, QObject *parent = nullptr);
    // Every entry still held is no longer registered.
    ~clsAddIns() override;

    // Appends the add-in, replacing an entry with the same ID.
    void Add(clsAddIn *oItem);
    // Removes every entry with this ID, from the last to the first.
    void Remove(const QString &stID);
    long Count() const { return static_cast<long>(m_items.size()); }
    // 1-based; error 9 outside 1..Count.
    clsAddIn *Item(long Index) const;
    // The last entry with this ID, or null.
    clsAddIn *GetItemByID(const QString &stID) const;

    // Asks every add-in (last to first) whether the program may end; Cancel receives the value
    // of the last add-in visited that refused.
    void SendUnload(int &Cancel);
    // Tells every add-in (last to first) that the program ends.
    void SendTerminate();
    // Hand every add-in a message received from the receiver, and the configuration answer.
    void SemdIncommingCommand(const QString &stData);
    void SemdIncommingSettings(const QString &stData) override;
    void SemdVolumeMain(float sVol) override;
    void SemdVolumeZone2(float sVol) override;
    // Hands every add-in, the sender included, a message from an add-in; each decides by
    // ReseiverId whether it is meant.
    void SendAddInMessage(long Msg, const QString &SenderID, const QString &ReseiverId, long Param1,
                          const QString &Param2);

    // The link the add-ins send over, or null.
    Form_Com *link() const { return m_link; }

Q_SIGNALS:
    // The list changed.
    void Refresh();

private:
    // Raises one event on every entry, from the last to the first; a failure shows the error
    // box under the broadcast's name and the next add-in is visited.
    void broadcast(const QString &name, const std::function<void(clsAddIn &)> &raise);

    QList<QPointer<clsAddIn>> m_items;
    QPointer<Form_Com> m_link;
};

// The link of the program's registry, or null without either.
Form_Com *addInLink();
// True when that link exists and its port is open.
bool addInLinkOpen();
