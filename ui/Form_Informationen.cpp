// SPDX-License-Identifier: GPL-3.0-or-later
// The information window.
#include "ui/Form_Informationen.h"

#include "base/ErrorHandling.h"
#include "ui/WindowProcs.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

const QString Form_Informationen::InfoText =
    QStringLiteral("-Cx = Connect amplifier at Com X\r\n"
                   "-M  = Starts in mini mode\r\n"
                   "-TL = mini window position \"Top Left\"\r\n"
                   "-TR = mini window position \"Top Right\"\r\n"
                   "-BL = mini window position \"Bottom Left\"\r\n"
                   "-BR = mini window position \"Bottom Right\" Default\r\n"
                   "-P  = Power On\r\n"
                   "-?  = Help\r\n");

const QString Form_Informationen::KeysText = QStringLiteral("F4  - Volume A\r\n"
                                                            "F5  - Volume B\r\n"
                                                            "F6  - Volume C\r\n"
                                                            "F7  - Volume D\r\n"
                                                            "F8  - Volume E\r\n"
                                                            "F9  - Volume F\r\n"
                                                            "F12 - Mute\r\n");

const QString Form_Informationen::WarningText =
    QStringLiteral("Important:\r\n"
                   "To prevent possible amplifier damage, unplug the\r\n"
                   "mains supply before connecting the RS 232 cable!\r\n");

namespace {
QPlainTextEdit *fixedText(const QString &text, QWidget *parent) {
    auto *box = new QPlainTextEdit(parent);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    box->setFont(font);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The text box shows line breaks; the text itself keeps its CR LF pairs.
    box->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const int lines = int(text.count(QStringLiteral("\r\n")));
    const QFontMetrics fm(font);
    box->setFixedHeight(fm.lineSpacing() * lines + 14);
    box->setMinimumWidth(fm.horizontalAdvance(QLatin1Char('M')) * 52);
    return box;
}
} // namespace

Form_Informationen::Form_Informationen() {
    setObjectName(QStringLiteral("Form_Informationen"));
    setWindowTitle(QStringLiteral("Information for Velmora"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame_Info = new QGroupBox(QStringLiteral("Command options:"), this);
    Text_Info = fixedText(InfoText, Frame_Info);
    (new QVBoxLayout(Frame_Info))->addWidget(Text_Info);

    Frame_Keys = new QGroupBox(QStringLiteral("Keys:"), this);
    Text2 = fixedText(KeysText, Frame_Keys);
    (new QVBoxLayout(Frame_Keys))->addWidget(Text2);

    Text1 = fixedText(WarningText, this);
    Text1->setStyleSheet(QStringLiteral("color: #a01010; font-weight: bold;"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame_Info);
    layout->addWidget(Frame_Keys);
    layout->addWidget(Text1);
    cmdOk = addButtonRow(layout, this, QStringLiteral("OK"), [this] { cmdOk_Click(); });
    setFixedSize(sizeHint());
}

Form_Informationen::~Form_Informationen() = default;

void Form_Informationen::cmdOk_Click() {
    ignoringFailures([] { Form_Informationen::unload(); });
}

void Form_Informationen::closeEvent(QCloseEvent *event) {
    event->accept();
    forget();
}
