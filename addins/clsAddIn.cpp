// Event raising of the add-in host object.
#include "addins/clsAddIn.h"

clsAddIn::clsAddIn(QString addInID, QObject *parent) : QObject(parent), m_id(std::move(addInID)) {
}

void clsAddIn::fSendReceivedCommand(const QString &stData) {
    Q_EMIT ReceivedCommand(stData);
}

void clsAddIn::fSendReceivedSettings(const QString &stData) {
    Q_EMIT ReceivedSettings(stData);
}

void clsAddIn::fSendVolumeMain(float sVol) {
    emit VolumeMain(sVol);
}

void clsAddIn::fSendVolumeZone2(float sVol) {
    emit VolumeZone2(sVol);
}

int clsAddIn::fSendUnload() {
    int cancel = 0;
    Q_EMIT Unload(&cancel);
    return cancel;
}

void clsAddIn::fSendTerminate() {
    Q_EMIT Terminate();
}
