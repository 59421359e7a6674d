// The main window's picture of the receiver: the kept configuration block and the reports.
#include "app/Form_Velmora.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcState, "velmora.state", QtWarningMsg)

void Form_Velmora::SetYamahaSettings(const QString &Settings) {
    stSettings = Settings;
}

void Form_Velmora::SetSettings() {
    bReceiverUpdate = 1;
    // The control panel is moved to the state of the kept block here, once the panel exists.
    bReceiverUpdate = 0;
}

void Form_Velmora::DatenAuswerten(const QString &message) {
    // Each report is turned into the panel's state here, once the panel exists; until then it
    // is only traced.
    qCDebug(lcState).noquote() << "report" << message;
}
