// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver information window.
#include "ui/Form_YInfo.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *framedText(const QString &caption, QWidget *parent, QVBoxLayout *layout) {
    auto *frame = new QGroupBox(caption, parent);
    auto *text = new QLineEdit(frame);
    text->setReadOnly(true);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    text->setFont(font);
    (new QVBoxLayout(frame))->addWidget(text);
    layout->addWidget(frame);
    return text;
}
} // namespace

Form_YInfo::Form_YInfo() {
    setObjectName(QStringLiteral("Form_YInfo"));
    setWindowTitle(QStringLiteral("Yamaha information"));
    auto *layout = new QVBoxLayout(this);
    text_modell = framedText(QStringLiteral("Model:"), this, layout);
    text_modellid = framedText(QStringLiteral("Model ID:"), this, layout);
    text_softwareversion = framedText(QStringLiteral("Softwareversion :"), this, layout);
    text_YString = framedText(QStringLiteral("Yamaha return string:"), this, layout);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    layout->addLayout(buttons);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    resize(460, sizeHint().height());
}

Form_YInfo::~Form_YInfo() = default;

void Form_YInfo::cmdOk_Click() {
    hide();
}

void Form_YInfo::closeEvent(QCloseEvent *event) {
    // The texts stay for the next look; the window is only hidden until the program ends.
    event->accept();
}
