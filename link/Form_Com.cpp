// SPDX-License-Identifier: GPL-3.0-or-later
// The serial transport and the traffic log.
#include "link/Form_Com.h"

#include "base/ErrorHandling.h"
#include "base/ProgramFolder.h"
#include "link/Framing.h"
#include "link/Waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kModule = QStringLiteral("Form_Com");

// Never destroyed at exit: the program's end destroys the link before the toolkit's globals go.
std::unique_ptr<Form_Com> &slot() {
    static auto *s = new std::unique_ptr<Form_Com>;
    return *s;
}
} // namespace

Form_Com::Form_Com() {
    setObjectName(QStringLiteral("Form_Com"));
    Com = new ComPort(this);
}

Form_Com::~Form_Com() = default;

Form_Com &Form_Com::instance() {
    if (!slot()) slot() = std::make_unique<Form_Com>();
    return *slot();
}

Form_Com *Form_Com::existing() {
    return slot().get();
}

void Form_Com::destroyNow() {
    slot().reset();
}

bool Form_Com::linkBusy() const {
    return Com->Tag == QLatin1String("1");
}

bool Form_Com::linkReady() const {
    return Com->PortOpen() && !linkBusy();
}

void Form_Com::SendCommand(const QString &Senden, int Sw1) {
    Q_UNUSED(Sw1);
    ErrorScope on(kModule, QStringLiteral("SendCommand"));
    if (!linkReady()) return; // closed, or busy: the command is dropped
    BusyScope busy(Com);
    writeFrame(Frame::command(Senden), on);
}

void Form_Com::writeFrame(const QString &frame, ErrorScope &on) {
    const QDeadlineTimer deadline(Frame::ExchangeMs);
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
    if (!linkReady()) return;
    BusyScope busy(Com);
    const QDeadlineTimer deadline(Frame::ExchangeMs);
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
        waitUntil(deadline, Com, &ComPort::readyRead);
    }
    on.step([&] {
        if (trafficLogOn()) DebugLog(Puffer, false);
    });
}

void Form_Com::ClearComPuffer(QString &Puffer) {
    ErrorScope on(kModule, QStringLiteral("ClearComPuffer"));
    if (!linkReady()) return;
    BusyScope busy(Com);
    on.step([&] { Puffer = Com->Input(); });
}

void Form_Com::ClearComPuffer() {
    QString dropped;
    ClearComPuffer(dropped);
}

void Form_Com::ReConnect() {
    ErrorScope on(kModule, QStringLiteral("ReConnect"));
    on.step([&] { Q_EMIT reconnecting(); });
    on.step([&] { Com->setPortOpen(false); });
    on.step([&] { Pause(0.3f); });
    on.step([&] { Com->setPortOpen(true); });
    on.step([&] { Q_EMIT reconnected(); });
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
    // Empty polls are not logged while connected.
    if (m_log.connected && Puffer.isEmpty()) return;
    const QString line = (Send ? QStringLiteral("---> ") : QStringLiteral("<--- ")) + Puffer;
    on.step([&] { Q_EMIT trafficLine(line); });
    on.step([&] {
        if (!m_log.logFile) return;
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
