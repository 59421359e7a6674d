// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in manager window.
#include "addins/Form_AddIns.h"

#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "ui/WindowProcs.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("Form_AddIns");
const char *const kSettings = "Settings()";

// The add-in object of a host object the program loaded, when it has a method Settings().
QObject *withSettings(const clsAddIn *host) {
    QObject *addIn = host && host->fHostLoaded ? host->parent() : nullptr;
    return addIn && addIn->metaObject()->indexOfMethod(kSettings) >= 0 ? addIn : nullptr;
}
} // namespace

Form_AddIns::Form_AddIns() {
    setObjectName(QStringLiteral("Form_AddIns"));
    setWindowTitle(QStringLiteral("AddIn"));
    setAttribute(Qt::WA_DeleteOnClose);

    lstAddIns = new QListWidget(this);
    lstAddIns->setAccessibleName(QStringLiteral("Registered add-ins"));
    connect(lstAddIns, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { lstAddIns_ItemActivated(lstAddIns->row(item)); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lstAddIns);
    cmdOk = addButtonRow(layout, this, QStringLiteral("&OK"), [this] { cmdOk_Click(); });
    resize(520, 220);
    Form_Load();
}

Form_AddIns::~Form_AddIns() {
    Form_Unload();
}

QString Form_AddIns::itemLine(const clsAddIn &a) {
    // The creation time as the user's own locale writes a short date and time.
    return a.AddInName() + QStringLiteral("; ") + a.AddInVersion() + QStringLiteral("; ") +
           a.AddInCopyright() + QStringLiteral("; ") +
           QLocale::system().toString(a.AddInCreateDate(), QLocale::ShortFormat);
}

void Form_AddIns::ShowItems() {
    ErrorScope on(kModule, QStringLiteral("ShowItems"));
    on.step([&] {
        lstAddIns->clear();
        m_lines.clear();
        if (!gAddIns) return;
        for (long i = 1; i <= gAddIns->Count(); ++i) {
            clsAddIn *a = gAddIns->Item(i);
            if (!a) continue;
            auto *item = new QListWidgetItem(itemLine(*a), lstAddIns);
            if (withSettings(a))
                item->setToolTip(QStringLiteral("Double-click or press Enter for its settings"));
            m_lines.append(a);
        }
    });
}

void Form_AddIns::lstAddIns_ItemActivated(int row) {
    ErrorScope on(kModule, QStringLiteral("lstAddIns_ItemActivated"));
    QObject *addIn = withSettings(m_lines.value(row));
    if (addIn) on.step([&] { QMetaObject::invokeMethod(addIn, "Settings", Qt::DirectConnection); });
}

void Form_AddIns::Form_Load() {
    oAddIns = gAddIns.get();
    if (oAddIns) connect(oAddIns, &clsAddIns::Refresh, this, [this] { ShowItems(); });
}

void Form_AddIns::Form_Unload() {
    if (oAddIns) disconnect(oAddIns, nullptr, this, nullptr);
    oAddIns.clear();
}

void Form_AddIns::cmdOk_Click() {
    ignoringFailures([] { Form_AddIns::unload(); });
}

void Form_AddIns::closeEvent(QCloseEvent *event) {
    Form_Unload();
    event->accept();
    forget();
}
