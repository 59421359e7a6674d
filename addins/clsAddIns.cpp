// Registry operations and the shutdown broadcasts.
#include "addins/clsAddIns.h"

#include "addins/clsAddIn.h"
#include "errors/ErrorHandling.h"

void clsAddIns::Add(clsAddIn *oItem) {
    if (!oItem) return;
    if (GetItemByID(oItem->AddInID())) Remove(oItem->AddInID());
    m_items.append(oItem);
    Q_EMIT Refresh();
}

void clsAddIns::Remove(const QString &stID) {
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items.at(i) && m_items.at(i)->AddInID() != stID) continue;
        m_items.removeAt(i);
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

void clsAddIns::SendUnload(int &Cancel) {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SendUnload"));
    const auto items = m_items;
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        on.step([&] {
            if (!items.at(i)) return;
            const int answer = items.at(i)->fSendUnload();
            if (answer != 0) Cancel = answer;
        });
    }
}

void clsAddIns::SendTerminate() {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SendTerminate"));
    const auto items = m_items;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        on.step([&] {
            if (items.at(i)) items.at(i)->fSendTerminate();
        });
}

void clsAddIns::SemdIncommingCommand(const QString &stData) {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SemdIncommingCommand"));
    const auto items = m_items;
    for (const QPointer<clsAddIn> &item : items)
        on.step([&] {
            if (item) item->fSendReceivedCommand(stData);
        });
}

void clsAddIns::SemdIncommingSettings(const QString &stData) {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SemdIncommingSettings"));
    const auto items = m_items;
    for (const QPointer<clsAddIn> &item : items)
        on.step([&] {
            if (item) item->fSendReceivedSettings(stData);
        });
}

void clsAddIns::SemdVolumeMain(float sVol) {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SemdVolumeMain"));
    const auto items = m_items;
    for (const QPointer<clsAddIn> &item : items)
        on.step([&] {
            if (item) item->fSendVolumeMain(sVol);
        });
}

void clsAddIns::SemdVolumeZone2(float sVol) {
    ErrorScope on(QStringLiteral("clsAddIns"), QStringLiteral("SemdVolumeZone2"));
    const auto items = m_items;
    for (const QPointer<clsAddIn> &item : items)
        on.step([&] {
            if (item) item->fSendVolumeZone2(sVol);
        });
}
