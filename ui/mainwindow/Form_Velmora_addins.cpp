// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's part of the add-in host: loading the add-in folder and the manager window.
#include "ui/mainwindow/Form_Velmora.h"

#include "addins/AddInLoaderList.h"
#include "addins/Form_AddIns.h"
#include "addins/modFindAddIn.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "ui/WindowProcs.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAddIns)

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
}

void Form_Velmora::LoadAddIns() {
    ErrorScope on(kModule, QStringLiteral("LoadAddIns"));
    QStringList candidates;
    on.step([&] { candidates = FindAddIns(); });
    for (const QString &identifier : std::as_const(candidates)) {
        if (identifier.isEmpty()) continue;
        on.step([&] {
            std::unique_ptr<QObject> addIn = CreateAddInObject(identifier);
            const long result = LoadAddIn(addIn.get());
            qCInfo(lcAddIns).noquote()
                << "add-in" << identifier
                << (result == 0 ? QStringLiteral("loaded")
                                : QStringLiteral("not loaded (%1)").arg(result));
            // An add-in that did not load is released here.
            if (addIn && result == 0 && gAddInLoaders) gAddInLoaders->Add(std::move(addIn));
        });
    }
}

void Form_Velmora::Menu_AddIn_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_AddIn_Click"));
    on.step([&] {
        Form_AddIns &manager = Form_AddIns::instance();
        manager.ShowItems();
        if (!manager.isVisible()) placeBeside(&manager, this);
        manager.show();
        manager.raise();
    });
}
