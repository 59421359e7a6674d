// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's settings window.
#include "addins/mqtt/Form_Mqtt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// What is wrong with a file named on a line, "" when it may be used (or none is named).
QString fileProblem(const QString &what, const QString &name) {
    if (name.isEmpty()) return QString();
    const QFileInfo file(name);
    if (!file.exists()) return QStringLiteral("The %1 %2 does not exist").arg(what, name);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("The %1 %2 cannot be read").arg(what, name);
    return QString();
}
} // namespace

Form_Mqtt::Form_Mqtt(const MqttSettings &s, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_Mqtt"));
    setWindowTitle(QStringLiteral("MQTT"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    // One line: its label with a mnemonic, the field and, for a file, a button to choose one.
    const auto line = [&](const QString &label, QWidget *field, const QString &name) {
        const int row = grid->rowCount();
        auto *caption = new QLabel(label, this);
        caption->setBuddy(field);
        field->setAccessibleName(name);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        return row;
    };
    const auto fileLine = [&](const QString &label, const QString &name, const QString &text) {
        auto *edit = new QLineEdit(text, this);
        const int row = line(label, edit, name);
        auto *browse = new QToolButton(this);
        browse->setText(QStringLiteral("..."));
        browse->setAccessibleName(QStringLiteral("Choose ") + name);
        grid->addWidget(browse, row, 2);
        connect(browse, &QToolButton::clicked, this, [this, edit, name] {
            const QString file = QFileDialog::getOpenFileName(this, name, edit->text());
            if (!file.isEmpty()) edit->setText(file);
        });
        return edit;
    };

    txtHost = new QLineEdit(s.host, this);
    txtHost->setMinimumWidth(280);
    txtHost->setPlaceholderText(QStringLiteral("empty: MQTT is off"));
    line(QStringLiteral("&Host"), txtHost, QStringLiteral("Broker host"));
    numPort = new QSpinBox(this);
    numPort->setRange(0, 65535);
    numPort->setSpecialValueText(QStringLiteral("default"));
    numPort->setToolTip(QStringLiteral("default: 1883, or 8883 with a CA file"));
    numPort->setValue(s.port);
    line(QStringLiteral("&Port"), numPort, QStringLiteral("Broker port"));
    txtUser = new QLineEdit(s.user, this);
    line(QStringLiteral("&User"), txtUser, QStringLiteral("User name"));
    txtPassword = new QLineEdit(s.password, this);
    txtPassword->setEchoMode(QLineEdit::Password);
    line(QStringLiteral("Pass&word"), txtPassword, QStringLiteral("Password"));
    txtCAFile = fileLine(QStringLiteral("CA &file"), QStringLiteral("CA file"), s.caFile);
    txtCertFile = fileLine(QStringLiteral("Client c&ertificate"),
                           QStringLiteral("Client certificate"), s.certFile);
    txtKeyFile = fileLine(QStringLiteral("Client &key"), QStringLiteral("Client key"), s.keyFile);
    txtBaseTopic = new QLineEdit(s.baseTopic, this);
    txtBaseTopic->setPlaceholderText(defaultBaseTopic());
    line(QStringLiteral("&Base topic"), txtBaseTopic, QStringLiteral("Base topic"));
    chkDiscovery = new QCheckBox(QStringLiteral("&Announce to Home Assistant"), this);
    chkDiscovery->setChecked(s.discovery);
    grid->addWidget(chkDiscovery, grid->rowCount(), 1, 1, 2);
    lblStatus = new QLabel(QStringLiteral("Off"), this);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line(QStringLiteral("State"), lblStatus, QStringLiteral("Connection state"));

    lblProblem = new QLabel(this);
    lblProblem->setAccessibleName(QStringLiteral("Problem"));
    lblProblem->setWordWrap(true);
    QPalette red = lblProblem->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    lblProblem->setPalette(red);
    lblProblem->hide();
    layout->addWidget(lblProblem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject); // Escape too
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // The first line at fault, from the top; nothing is handed on then.
        const QString host = txtHost->text().trimmed();
        const QString ca = txtCAFile->text().trimmed();
        const QString cert = txtCertFile->text().trimmed();
        const QString key = txtKeyFile->text().trimmed();
        const std::pair<QString, QLineEdit *> checks[] = {
            {host.contains(QLatin1Char('/')) || host.contains(QLatin1Char(' '))
                 ? QStringLiteral("The host is a name or an address, without blanks or /")
                 : QString(),
             txtHost},
            {fileProblem(QStringLiteral("CA file"), ca), txtCAFile},
            {!cert.isEmpty() && ca.isEmpty()
                 ? QStringLiteral("A client certificate needs a CA file (TLS)")
                 : QString(),
             txtCAFile},
            {fileProblem(QStringLiteral("client certificate"), cert), txtCertFile},
            {cert.isEmpty() && !key.isEmpty() ? QStringLiteral("A client key needs its certificate")
                                              : QString(),
             txtCertFile},
            {fileProblem(QStringLiteral("client key"), key), txtKeyFile},
            {!cert.isEmpty() && key.isEmpty() ? QStringLiteral("A client certificate needs its key")
                                              : QString(),
             txtKeyFile},
            {baseTopicProblem(txtBaseTopic->text()), txtBaseTopic}};
        for (const auto &[problem, at] : checks)
            if (!problem.isEmpty()) {
                showProblem(problem);
                at->setFocus();
                return;
            }
        showProblem(QString());
        Q_EMIT settingsAccepted(settings());
    });
}

MqttSettings Form_Mqtt::settings() const {
    MqttSettings s;
    s.host = txtHost->text().trimmed();
    s.port = numPort->value();
    s.user = txtUser->text().trimmed();
    s.password = txtPassword->text();
    s.caFile = txtCAFile->text().trimmed();
    s.certFile = txtCertFile->text().trimmed();
    s.keyFile = txtKeyFile->text().trimmed();
    s.baseTopic = txtBaseTopic->text().trimmed();
    s.discovery = chkDiscovery->isChecked();
    return s;
}

void Form_Mqtt::setStatus(const QString &text) {
    lblStatus->setText(text);
}

void Form_Mqtt::showProblem(const QString &text) {
    lblProblem->setText(text);
    lblProblem->setVisible(!text.isEmpty());
}
