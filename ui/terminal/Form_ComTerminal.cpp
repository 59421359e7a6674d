// SPDX-License-Identifier: GPL-3.0-or-later
// The debug terminal window and its controls.
#include "ui/terminal/Form_ComTerminal.h"

#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "link/Form_Com.h"
#include "link/Framing.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// The terminal's failures are reported under the link's name, as they always were.
const QString kModule = QStringLiteral("Form_Com");

QFont courier() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(10);
    return font;
}
} // namespace

Form_ComTerminal::Form_ComTerminal() {
    setObjectName(QStringLiteral("Form_Com"));
    setWindowTitle(QStringLiteral("DEBUG  - COM - TERMINAL"));

    Text_send = new QLineEdit(QStringLiteral("07A1D"), this);
    Text_send->setFont(courier());
    Text_send->setGeometry(8, 8, 90, 26);
    Text_send->installEventFilter(this);
    cmd_send = new QPushButton(QStringLiteral("&Send"), this);
    cmd_send->setGeometry(106, 8, 80, 26);
    cmd_copy = new QPushButton(QStringLiteral("&Copy"), this);
    cmd_copy->setGeometry(194, 8, 80, 26);
    cmd_clear = new QPushButton(QStringLiteral("&Clear"), this);
    cmd_clear->setGeometry(282, 8, 80, 26);

    Text_Com = new QPlainTextEdit(this);
    Text_Com->setFont(courier());
    Text_Com->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text_Com->setGeometry(0, 42, 560, 318);

    connect(cmd_send, &QPushButton::clicked, this, [this] { cmd_send_Click(); });
    connect(cmd_copy, &QPushButton::clicked, this, [this] { cmd_copy_Click(); });
    connect(cmd_clear, &QPushButton::clicked, this, [this] { cmd_clear_Click(); });
    connect(Text_Com, &QPlainTextEdit::textChanged, this, [this] { Text_Com_Change(); });
    resize(560, 360);
}

Form_ComTerminal::~Form_ComTerminal() = default;

void Form_ComTerminal::attach(Form_Com &link) {
    if (m_link) disconnect(m_link, nullptr, this, nullptr);
    m_link = &link;
    connect(&link, &Form_Com::trafficLine, this, &Form_ComTerminal::appendLine,
            Qt::DirectConnection);
}

void Form_ComTerminal::appendLine(const QString &line) {
    if (!isVisible()) return;
    // The document counts one paragraph end beyond the text itself.
    if (Text_Com->document()->characterCount() - 1 > TerminalLimit) Text_Com->clear();
    Text_Com->moveCursor(QTextCursor::End);
    // The terminal names the control bytes; the log file keeps the bytes themselves.
    Text_Com->insertPlainText(readableLineText(line) + QLatin1Char('\n'));
}

void Form_ComTerminal::cmd_send_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_send_Click"));
    on.step([&] {
        if (Text_send->text().size() == 5 && m_link) m_link->SendCommand(Text_send->text());
    });
}

void Form_ComTerminal::cmd_copy_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_copy_Click"));
    on.step([&] { QGuiApplication::clipboard()->setText(Text_Com->toPlainText()); });
}

void Form_ComTerminal::cmd_clear_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_clear_Click"));
    on.step([&] { Text_Com->clear(); });
}

int Form_ComTerminal::Text_send_KeyPress(int KeyAscii) {
    int kept = 0;
    ErrorScope on(kModule, QStringLiteral("Text_send_KeyPress"));
    on.step([&] {
        if (KeyAscii == 8 || (KeyAscii >= '0' && KeyAscii <= '9') ||
            (KeyAscii >= 'A' && KeyAscii <= 'F') || (KeyAscii >= 'a' && KeyAscii <= 'f')) {
            kept = KeyAscii;
        } else if (KeyAscii == 13) {
            cmd_send_Click();
        }
    });
    return kept;
}

void Form_ComTerminal::Text_Com_Change() {
    ErrorScope on(kModule, QStringLiteral("Text_Com_Change"));
    // Keep the newest line in view.
    on.step([&] { Text_Com->moveCursor(QTextCursor::End); });
}

void Form_ComTerminal::Form_Resize() {
    ErrorScope on(kModule, QStringLiteral("Form_Resize"));
    on.step([&] {
        if (isMinimized()) return;
        const int top = Text_Com->y();
        Text_Com->setGeometry(0, top, width(), qMax(0, height() - top));
    });
}

void Form_ComTerminal::Form_Unload(int &Cancel) {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    on.step([&] {
        if (!bProgramEnding) {
            Cancel = 1;
            hide();
        }
    });
    on.step([&] { Q_EMIT unloaded(); });
}

void Form_ComTerminal::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form_ComTerminal::closeEvent(QCloseEvent *event) {
    closeUnlessCancelled(*this, event);
}

bool Form_ComTerminal::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Text_send && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Home, Delete, ...) edit as usual.
        if (text.isEmpty() || key->key() == Qt::Key_Delete) return false;
        int ascii = text.at(0).unicode();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            ascii = 13;
        else if (key->key() == Qt::Key_Backspace)
            ascii = 8;
        return Text_send_KeyPress(ascii) == 0;
    }
    return QWidget::eventFilter(watched, event);
}
