// SPDX-License-Identifier: GPL-3.0-or-later
// Configuration request and interface reset.
#include "link/Form_Com.h"

#include "base/AddInBroadcast.h"
#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "link/Framing.h"
#include "link/KnownModels.h"

#include <QDeadlineTimer>
#include <chrono>
#include <thread>

namespace {
const QString kModule = QStringLiteral("Form_Com");
}

void Form_Com::ReadSettings(QString &stSettings, QString &stSettingsOrginal) {
    ErrorScope on(kModule, QStringLiteral("ReadSettings"));
    if (!linkReady()) return;
    {
        BusyScope busy(Com);
        on.step([&] { Com->Input(); }); // whatever waits is not the answer
        writeFrame(Frame::configurationRequest(), on);
    }
    // Whatever ends with the first ETX after the request is taken as the answer.
    ReadPort(stSettings, false);
    if (stSettings.isEmpty()) return;
    on.step([&] { stSettingsOrginal = stSettings; });
    on.step([&] {
        if (AddInBroadcast *addIns = AddInBroadcast::current())
            addIns->SemdIncommingSettings(configurationForAddIns(stSettings));
    });
    on.step([&] { stSettings = normaliseConfigurationAnswer(stSettings); });
}

void Form_Com::ResetYamaha(QString &Ret) {
    ErrorScope on(kModule, QStringLiteral("ResetYamaha"));
    if (!Com->PortOpen()) {
        on.step([] { Dialogs::MsgBox(QStringLiteral("Connect Error !")); });
        return;
    }
    // Wait for the link to become idle without letting any event run: nothing can clear the
    // flag meanwhile, so a busy link means the time-out.
    const QDeadlineTimer idle(2000);
    while (linkBusy() && !idle.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (linkBusy()) {
        on.step([] { Dialogs::MsgBox(QStringLiteral("Time Out")); });
        return;
    }
    {
        BusyScope busy(Com);
        on.step([&] { Com->Input(); });
        const QString frame = Frame::interfaceReset();
        on.step([&] {
            if (trafficLogOn()) DebugLog(frame, true);
        });
        on.step([&] { Com->Output(frame); });
        // Other link operations find the link busy during the receiver's reset and skip.
        on.step([&] { Pause(2.0f); });
        on.step([&] { Ret = Com->Input(); });
        on.step([&] {
            if (trafficLogOn()) DebugLog(Ret, false);
        });
    }
    on.step([&] { PowerOn(); });
}
