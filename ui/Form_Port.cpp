// SPDX-License-Identifier: GPL-3.0-or-later
// The "Port" window.
#include "ui/Form_Port.h"

#include "base/ConfigValues.h"
#include "base/ErrorHandling.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "link/KnownModels.h"
#include "link/TcpTransport.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("Form_Port");
}

Form_Port::Form_Port() {
    setObjectName(QStringLiteral("Form_Port"));
    setWindowTitle(QStringLiteral("Port"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(
        QStringLiteral("A serial device, or a network serial bridge as tcp://host:port (raw) or "
                       "rfc2217://host:port (Telnet COM port control). Used at the next connect."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < Ports; ++i) {
        auto *name = new QLabel(QStringLiteral("Com %1").arg(i + 1), this);
        txtDevice[i] = new QLineEdit(this);
        txtDevice[i]->setMinimumWidth(260);
        txtDevice[i]->setAccessibleName(QStringLiteral("Com %1 device").arg(i + 1));
        name->setBuddy(txtDevice[i]);
        cmdTest[i] = new QPushButton(QStringLiteral("Test"), this);
        cmdTest[i]->setAccessibleName(QStringLiteral("Test Com %1").arg(i + 1));
        lblResult[i] = new QLabel(this);
        lblResult[i]->setMinimumWidth(220);
        lblResult[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(name, i, 0);
        grid->addWidget(txtDevice[i], i, 1);
        grid->addWidget(cmdTest[i], i, 2);
        grid->addWidget(lblResult[i], i, 3);
        connect(cmdTest[i], &QPushButton::clicked, this, [this, i] { cmdTest_Click(i); });
    }
    layout->addLayout(grid);
    auto *buttons = new QDialogButtonBox(this);
    cmdOk = buttons->addButton(QDialogButtonBox::Ok);
    cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    cmdOk->setDefault(true);
    layout->addWidget(buttons);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            [this] { cmdCancel_Click(); });
    Form_Load();
}

Form_Port::~Form_Port() = default;

void Form_Port::Form_Load() {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    for (int i = 0; i < Ports; ++i) {
        const long port = i + 1;
        lblResult[i]->clear();
        txtDevice[i]->setPlaceholderText(portStandardDevice(port));
        const QString fromEnvironment = portEnvironmentDevice(port);
        // The environment wins over the setting; it is shown, and changed only where it is set.
        txtDevice[i]->setReadOnly(!fromEnvironment.isEmpty());
        txtDevice[i]->setToolTip(
            fromEnvironment.isEmpty()
                ? QString()
                : QStringLiteral("Set by the environment variable VELMORA_COM%1").arg(port));
        if (!fromEnvironment.isEmpty())
            lblResult[i]->setText(QStringLiteral("from VELMORA_COM%1").arg(port));
        on.step([&] {
            txtDevice[i]->setText(fromEnvironment.isEmpty() ? storedPortDevice(port)
                                                            : fromEnvironment);
        });
    }
}

QString Form_Port::deviceOf(int Index) const {
    const QString text = txtDevice[Index]->text().trimmed();
    return text.isEmpty() ? txtDevice[Index]->placeholderText() : text;
}

void Form_Port::cmdTest_Click(int Index) {
    const QString device = deviceOf(Index);
    QLabel *result = lblResult[Index];
    const Form_Com *link = Form_Com::existing();
    if (link && (link->Com->PortOpen() || link->Com->PortOpening()) &&
        link->Com->deviceName() == device) {
        result->setText(QStringLiteral("In use by the connection"));
        return;
    }
    // One test at a time; the window stays usable otherwise.
    for (QPushButton *test : cmdTest)
        test->setEnabled(false);
    result->setText(QStringLiteral("Testing..."));
    QString text;
    try {
        const QString answer = normaliseConfigurationAnswer(askConfiguration(device));
        if (answer.isEmpty()) {
            text = QStringLiteral("No answer");
        } else {
            const QString id = configurationModelId(answer);
            text = QStringLiteral("%1 (%2) Softv.%3")
                       .arg(modelName(id), id, configurationSoftwareVersion(answer));
        }
    } catch (...) {
        text = describeCurrentFailure().description;
    }
    result->setText(text);
    result->setToolTip(text);
    for (QPushButton *test : cmdTest)
        test->setEnabled(true);
}

void Form_Port::cmdOk_Click() {
    ErrorScope on(kModule, QStringLiteral("cmdOk_Click"));
    // A bridge's URL that cannot be used is said at its line, and nothing is kept.
    bool usable = true;
    for (int i = 0; i < Ports; ++i) {
        const QString text = txtDevice[i]->text().trimmed();
        if (txtDevice[i]->isReadOnly() || !isBridgeUrl(text) || bridgeAddress(text)) continue;
        lblResult[i]->setText(QStringLiteral("Not host:port with a port from 1 to 65535"));
        usable = false;
    }
    if (!usable) return;
    for (int i = 0; i < Ports; ++i) {
        if (txtDevice[i]->isReadOnly()) continue;
        const QString text = txtDevice[i]->text().trimmed();
        // Only what the user changed is written.
        if (!on.step([&] {
                if (text != storedPortDevice(i + 1)) storePortDevice(i + 1, text);
            }))
            return;
    }
    hide();
}

void Form_Port::cmdCancel_Click() {
    hide();
}
