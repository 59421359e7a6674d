// SPDX-License-Identifier: GPL-3.0-or-later
// Registry operations and the shutdown broadcasts.
#include "addins/clsAddIns.h"

#include "addins/AddInLoaderList.h"
#ifdef VELMORA_HAVE_DBUS
#include "addins/AddInService.h"
#endif
#include "addins/clsAddIn.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"

#include <QLoggingCategory>

// The add-in host's trace: what was found, loaded and registered.
Q_LOGGING_CATEGORY(lcAddIns, "velmora.addins", QtWarningMsg)

// The program-wide registry and loader list (declared with the program's globals).
std::unique_ptr<clsAddIns> gAddIns;
std::unique_ptr<AddInLoaderList> gAddInLoaders;

Form_Com *addInLink() {
    return gAddIns ? gAddIns->link() : nullptr;
}

bool addInLinkOpen() {
    const Form_Com *link = addInLink();
    return link && link->Com->PortOpen();
}

clsAddIns::clsAddIns(Form_Com *link, QObject *parent) : QObject(parent), m_link(link) {
}

clsAddIns::~clsAddIns() {
    for (const QPointer<clsAddIn> &item : std::as_const(m_items))
        if (item) item->m_registered = false;
}

void clsAddIns::Add(clsAddIn *oItem) {
    if (!oItem) return;
    if (GetItemByID(oItem->AddInID())) Remove(oItem->AddInID());
    m_items.append(oItem);
    Q_EMIT Refresh();
}

void clsAddIns::Remove(const QString &stID) {
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        const QPointer<clsAddIn> item = m_items.at(i);
        if (item && item->AddInID() != stID) continue;
        m_items.removeAt(i);
        // Unless the same object is still listed under its ID (it cannot be: IDs are unique).
        if (item) item->m_registered = false;
        Q_EMIT Refresh();
    }
}

clsAddIn *clsAddIns::Item(long Index) const {
    if (Index < 1 || Index > Count())
        RuntimeError::subscriptOutOfRange(QStringLiteral("clsAddIns"));
    return m_items.at(Index - 1);
}

clsAddIn *clsAddIns::GetItemByID(const QString &stID) const {
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (m_items.at(i) && m_items.at(i)->AddInID() == stID) return m_items.at(i);
    return nullptr;
}

void clsAddIns::broadcast(const QString &name, const std::function<void(clsAddIn &)> &raise) {
    ErrorScope on(QStringLiteral("clsAddIns"), name);
    // The most recently registered add-in hears first. An add-in that leaves (or registers
    // another) from its handler does not change who is visited.
    const auto items = m_items;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        on.step([&] {
            if (items.at(i)) raise(*items.at(i));
        });
}

void clsAddIns::SendUnload(int &Cancel) {
    // Add-ins in other programs answer over the bus: their event sinks are asked first, all at
    // once and within one short deadline while events run, and each answer counts in its
    // entry's turn below.
#ifdef VELMORA_HAVE_DBUS
    if (AddInService *bus = addInService()) bus->askEventSinks(m_items);
#endif
    // Every add-in is asked, also after a veto; the last refusal visited is kept.
    broadcast(QStringLiteral("SendUnload"), [&](clsAddIn &a) {
        const int answer = a.fSendUnload();
        if (answer != 0) Cancel = answer;
    });
}

void clsAddIns::SendTerminate() {
    broadcast(QStringLiteral("SendTerminate"), [](clsAddIn &a) { a.fSendTerminate(); });
}

void clsAddIns::SemdIncommingCommand(const QString &stData) {
    broadcast(QStringLiteral("SemdIncommingCommand"),
              [&](clsAddIn &a) { a.fSendReceivedCommand(stData); });
}

void clsAddIns::SemdIncommingSettings(const QString &stData) {
    broadcast(QStringLiteral("SemdIncommingSettings"),
              [&](clsAddIn &a) { a.fSendReceivedSettings(stData); });
}

void clsAddIns::SemdVolumeMain(float sVol) {
    broadcast(QStringLiteral("SemdVolumeMain"), [&](clsAddIn &a) { a.fSendVolumeMain(sVol); });
}

void clsAddIns::SemdVolumeZone2(float sVol) {
    broadcast(QStringLiteral("SemdVolumeZone2"), [&](clsAddIn &a) { a.fSendVolumeZone2(sVol); });
}

void clsAddIns::SendAddInMessage(long Msg, const QString &SenderID, const QString &ReseiverId,
                                 long Param1, const QString &Param2) {
    broadcast(QStringLiteral("SendAddInMessage"),
              [&](clsAddIn &a) { a.fSendAddInMessage(Msg, SenderID, ReseiverId, Param1, Param2); });
}
