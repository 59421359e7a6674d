// Event raising of the add-in host object.
#include "addins/clsAddIn.h"

clsAddIn::clsAddIn(QString addInID, QObject *parent) : QObject(parent), m_id(std::move(addInID)) {
}

int clsAddIn::fSendUnload() {
    int cancel = 0;
    Q_EMIT Unload(&cancel);
    return cancel;
}

void clsAddIn::fSendTerminate() {
    Q_EMIT Terminate();
}
