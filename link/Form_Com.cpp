// SPDX-License-Identifier: GPL-3.0-or-later
// The serial transport, the traffic log and the debug terminal.
#include "link/Form_Com.h"

#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "base/ProgramFolder.h"
#include "link/Framing.h"
#include "link/Waits.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Com");
constexpr int kExchangeMs = 800; // longest a write or an answer may take

QFont courier() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(10);
    return font;
}

// Sleeps in the event loop until the port has data or the deadline passes.
void waitForData(ComPort *com, const QDeadlineTimer &deadline) {
    if (deadline.hasExpired()) return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(com, &ComPort::readyRead, &loop, &QEventLoop::quit);
    timer.start(std::chrono::milliseconds(deadline.remainingTime()));
    loop.exec();
}
} // namespace

Form_Com::Form_Com() {
    setObjectName(QStringLiteral("Form_Com"));
    setWindowTitle(QStringLiteral("DEBUG  - COM - TERMINAL"));
    Com = new ComPort(this);

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

Form_Com::~Form_Com() = default;

bool Form_Com::trafficLogOn() {
    const Form_Velmora *main = Form_Velmora::existing();
    return main && (main->Menu_Setup_Log->isChecked() || main->Menu_Setup_Debug->isChecked());
}

bool Form_Com::linkBusy() {
    const Form_Com *com = existing();
    return com && com->Com->Tag == QLatin1String("1");
}

bool Form_Com::linkReady() {
    const Form_Com *com = existing();
    return com && com->Com->PortOpen() && !linkBusy();
}

void Form_Com::SendCommand(const QString &Senden, int Sw1) {
    Q_UNUSED(Sw1);
    ErrorScope on(kModule, QStringLiteral("SendCommand"));
    if (!linkReady()) return; // closed, or busy: the command is dropped
    BusyScope busy(Com);
    writeFrame(Frame::command(Senden), on);
}

void Form_Com::writeFrame(const QString &frame, ErrorScope &on) {
    const QDeadlineTimer deadline(kExchangeMs);
    on.step([&] {
        if (trafficLogOn()) DebugLog(frame, true);
    });
    on.step(
        [&] { Com->Output(frame, static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))); });
    // A write that took the whole exchange time means a stuck port.
    on.step([&] {
        if (deadline.hasExpired()) ReConnect();
    });
}

void Form_Com::ReadPort(QString &Puffer, bool Direct) {
    ErrorScope on(kModule, QStringLiteral("ReadPort"));
    if (Com->Tag == QLatin1String("1")) return;
    if (!Com->PortOpen()) return;
    BusyScope busy(Com);
    const QDeadlineTimer deadline(kExchangeMs);
    Puffer.clear();
    for (;;) {
        QCoreApplication::processEvents();
        if (!Com->PortOpen()) break; // closed under us by a disconnect during the wait
        bool complete = false;
        on.step([&] {
            if (ComBufferCount() != 0) {
                Puffer += Com->Input();
                complete = Puffer.endsWith(Frame::ETX);
            }
        });
        if (complete || Direct || deadline.hasExpired()) break;
        waitForData(Com, deadline);
    }
    on.step([&] {
        if (trafficLogOn()) DebugLog(Puffer, false);
    });
}

void Form_Com::ClearComPuffer(QString &Puffer) {
    ErrorScope on(kModule, QStringLiteral("ClearComPuffer"));
    if (!Com->PortOpen() || Com->Tag == QLatin1String("1")) return;
    BusyScope busy(Com);
    on.step([&] { Puffer = Com->Input(); });
}

void Form_Com::ClearComPuffer() {
    QString dropped;
    ClearComPuffer(dropped);
}

void Form_Com::ReConnect() {
    ErrorScope on(kModule, QStringLiteral("ReConnect"));
    Form_Velmora *main = Form_Velmora::existing();
    on.step([&] {
        if (main) {
            main->Line1->setText(QString());
            main->Line2->setText(QStringLiteral("Reconnect"));
        }
    });
    on.step([&] { Com->setPortOpen(false); });
    on.step([&] { Pause(0.3f); });
    on.step([&] { Com->setPortOpen(true); });
    on.step([&] {
        if (main) main->Line2->setText(QStringLiteral("Done"));
    });
    on.step([&] {
        if (trafficLogOn()) DebugLog(QStringLiteral("RECONNECT"), true);
    });
}

void Form_Com::Pause(float Zeit) {
    ErrorScope on(kModule, QStringLiteral("Pause"));
    on.step([&] { pauseWithEvents(Zeit); });
}

void Form_Com::DebugLog(const QString &Puffer, bool Send) {
    ErrorScope on(kModule, QStringLiteral("DebugLog"));
    const Form_Velmora *main = Form_Velmora::existing();
    // Empty polls are not logged while connected.
    if (main && main->Timer_Check->isActive() && Puffer.isEmpty()) return;
    const QString line = (Send ? QStringLiteral("---> ") : QStringLiteral("<--- ")) + Puffer;
    on.step([&] {
        if (!isVisible()) return;
        // The document counts one paragraph end beyond the text itself.
        if (Text_Com->document()->characterCount() - 1 > TerminalLimit) Text_Com->clear();
        Text_Com->moveCursor(QTextCursor::End);
        // The terminal names the control bytes; the log file keeps the bytes themselves.
        Text_Com->insertPlainText(readableLineText(line) + QLatin1Char('\n'));
    });
    on.step([&] {
        if (!main || !main->Menu_Setup_Log->isChecked()) return;
        QFile file(programFileLocations(ProgramFile::TrafficLog).constFirst());
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            RuntimeError::fileAccess(file.fileName(), file.errorString());
        const QByteArray bytes = toLineBytes(line) + "\r\n";
        if (file.write(bytes) != bytes.size())
            RuntimeError::fileAccess(file.fileName(), file.errorString());
    });
}

long Form_Com::ComBufferCount() {
    long count = 0;
    ignoringFailures([&] { count = Com->InBufferCount(); });
    return count;
}

void Form_Com::cmd_send_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_send_Click"));
    on.step([&] {
        if (Text_send->text().size() == 5) SendCommand(Text_send->text());
    });
}

void Form_Com::cmd_copy_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_copy_Click"));
    on.step([&] { QGuiApplication::clipboard()->setText(Text_Com->toPlainText()); });
}

void Form_Com::cmd_clear_Click() {
    ErrorScope on(kModule, QStringLiteral("cmd_clear_Click"));
    on.step([&] { Text_Com->clear(); });
}

int Form_Com::Text_send_KeyPress(int KeyAscii) {
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

void Form_Com::Text_Com_Change() {
    ErrorScope on(kModule, QStringLiteral("Text_Com_Change"));
    // Keep the newest line in view.
    on.step([&] { Text_Com->moveCursor(QTextCursor::End); });
}

void Form_Com::Form_Resize() {
    ErrorScope on(kModule, QStringLiteral("Form_Resize"));
    on.step([&] {
        if (isMinimized()) return;
        const int top = Text_Com->y();
        Text_Com->setGeometry(0, top, width(), qMax(0, height() - top));
    });
}

void Form_Com::Form_Unload(int &Cancel) {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    on.step([&] {
        if (!bProgramEnding) {
            Cancel = 1;
            hide();
        }
    });
    on.step([&] {
        if (Form_Velmora *main = Form_Velmora::existing())
            main->Menu_Setup_Debug->setChecked(false);
    });
}

void Form_Com::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form_Com::closeEvent(QCloseEvent *event) {
    closeUnlessCancelled(*this, event);
}

bool Form_Com::eventFilter(QObject *watched, QEvent *event) {
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
