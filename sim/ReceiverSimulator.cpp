// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's line side: pseudo-terminal, serial device or TCP port, and the faults on its
// output.
#include "sim/ReceiverSimulator.h"

#include "link/Framing.h"
#include "sim/PseudoTerminal.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcSim, "velmora.sim", QtWarningMsg)

namespace Sim {

namespace {
// A cap on what waits for a line nobody reads; a real receiver's output is lost then too.
constexpr qsizetype kMaxQueued = 64 * 1024;

// Control bytes by name, so a log line shows the frame as it went over the line.
QString readable(const QByteArray &bytes) {
    return readableLineText(fromLineBytes(bytes));
}
} // namespace

ReceiverSimulator::ReceiverSimulator(QObject *parent)
    : ReceiverSimulator(QLatin1String(kDefaultModel), false, parent) {
}

ReceiverSimulator::ReceiverSimulator(const QString &modelId, bool standby, QObject *parent)
    : QObject(parent), m_model(modelId, standby) {
    m_clock.start();
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpTimer, &QTimer::timeout, this, &ReceiverSimulator::pump);
}

ReceiverSimulator::~ReceiverSimulator() {
    close();
}

bool ReceiverSimulator::openPty() {
    close();
#ifdef Q_OS_UNIX
    PseudoTerminal pty;
    if (!openPseudoTerminal(pty)) {
        m_error = QStringLiteral("openpty: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_master = pty.master;
    m_slave = pty.slave;
    m_devicePath = pty.slavePath;
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ReceiverSimulator::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ReceiverSimulator::flushPtyOutput);
    m_error.clear();
    return true;
#else
    m_error = QStringLiteral("no pseudo-terminals on this system; give a serial device");
    return false;
#endif
}

bool ReceiverSimulator::openDevice(const QString &path) {
    close();
    m_serial = new QSerialPort(this);
    m_serial->setPortName(path);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        m_error = path + QStringLiteral(": ") + m_serial->errorString();
        delete m_serial;
        m_serial = nullptr;
        return false;
    }
    m_serial->setBaudRate(QSerialPort::Baud9600);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    connect(m_serial, &QSerialPort::readyRead, this, [this] { onIncoming(m_serial->readAll()); });
    m_devicePath = path;
    m_error.clear();
    return true;
}

bool ReceiverSimulator::listenTcp(quint16 port) {
    close();
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::Any, port)) {
        m_error = QStringLiteral("TCP port %1: ").arg(port) + m_server->errorString();
        delete std::exchange(m_server, nullptr);
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &ReceiverSimulator::takeClient);
    m_devicePath = QStringLiteral("tcp://localhost:%1").arg(m_server->serverPort());
    m_error.clear();
    return true;
}

void ReceiverSimulator::takeClient() {
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        // A serial line has one far end: the newest client is it.
        if (QTcpSocket *old = std::exchange(m_client, nullptr)) {
            old->abort();
            old->deleteLater();
            log(QStringLiteral("connection replaced"));
        }
        m_client = client;
        // Frames are a few bytes each; they go out at once, as over the wire.
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(client, &QTcpSocket::readyRead, this,
                [this, client] { onIncoming(client->readAll()); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            if (m_client == client) {
                m_client = nullptr;
                log(QStringLiteral("connection closed"));
            }
            client->deleteLater();
        });
        log(QStringLiteral("connection from %1 port %2")
                .arg(client->peerAddress().toString())
                .arg(client->peerPort()));
    }
}

void ReceiverSimulator::close() {
    m_pumpTimer.stop();
    m_outgoing.clear();
    m_ptyOut.clear();
    m_lastDue = 0;
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
#ifdef Q_OS_UNIX
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
#endif
    m_master = m_slave = -1;
    if (m_serial) {
        m_serial->close();
        delete m_serial;
        m_serial = nullptr;
    }
    if (m_client) m_client->disconnect(this); // closing now is no news worth a log line
    delete m_server;                          // with the client, its child
    m_server = nullptr;
    m_client = nullptr;
    m_devicePath.clear();
}

bool ReceiverSimulator::pullLine(Pull how) {
#ifdef Q_OS_UNIX
    if (m_master < 0) return false;
    if (how == Pull::HangUp) return ::ioctl(m_slave, TIOCVHANGUP) == 0;
    m_pumpTimer.stop();
    m_outgoing.clear();
    m_ptyOut.clear();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    ::close(std::exchange(m_master, -1));
    return true;
#else
    Q_UNUSED(how);
    return false;
#endif
}

bool ReceiverSimulator::isOpen() const {
    return m_master >= 0 || m_serial || m_server;
}

void ReceiverSimulator::onReadable() {
#ifdef Q_OS_UNIX
    QByteArray bytes;
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            bytes.append(buf, n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
        // Only a broken line ends here; keeping the slave open means hang-ups do not.
        log(QStringLiteral("line read failed: ") + QString::fromLocal8Bit(std::strerror(errno)));
        m_readNotifier->setEnabled(false);
        break;
    }
    if (!bytes.isEmpty()) onIncoming(bytes);
#endif
}

void ReceiverSimulator::onIncoming(const QByteArray &bytes) {
    Q_EMIT bytesReceived(bytes);
    log(QStringLiteral("<-- ") + readable(bytes));
    emitResponse(m_model.receive(bytes));
}

void ReceiverSimulator::emitResponse(const Response &response) {
    for (const QString &note : response.notes)
        log(note);
    for (const QByteArray &f : response.frames)
        queueFrame(f);
}

void ReceiverSimulator::log(const QString &line) {
    qCDebug(lcSim).noquote() << line;
    Q_EMIT activity(line);
}

void ReceiverSimulator::setAnswerDelay(int ms) {
    m_delayMs = std::max(0, ms);
}

void ReceiverSimulator::dropNextAnswers(int count) {
    m_dropCount += std::max(0, count);
}

void ReceiverSimulator::queueFrame(const QByteArray &f) {
    if (m_dropCount > 0) {
        --m_dropCount;
        log(QStringLiteral("dropped ") + readable(f));
        return;
    }
    const qint64 due = std::max(m_clock.elapsed() + m_delayMs, m_lastDue);
    QString line = QStringLiteral("--> ") + readable(f);
    if (m_delayMs > 0) line += QStringLiteral(" (after %1 ms)").arg(m_delayMs);
    if (m_split && f.size() > 1) {
        // Two writes with a pause between them: the far end sees the frame arrive in two reads.
        constexpr int kSplitGapMs = 20;
        const qsizetype half = f.size() / 2;
        queueChunk(f.left(half), due);
        queueChunk(f.mid(half), due + kSplitGapMs);
        line += QStringLiteral(" (split)");
    } else {
        queueChunk(f, due);
    }
    log(line);
    pump();
}

void ReceiverSimulator::sendRaw(const QByteArray &bytes) {
    if (bytes.isEmpty()) return;
    queueChunk(bytes, std::max(m_clock.elapsed(), m_lastDue));
    pump();
}

void ReceiverSimulator::sendNoise(int count) {
    QByteArray noise;
    auto *random = QRandomGenerator::global();
    while (noise.size() < count) {
        const char b = char(random->bounded(256));
        // No STX: noise must not open a report frame on the far side.
        if (b != Byte::STX) noise.append(b);
    }
    log(QStringLiteral("--> noise ") + readable(noise));
    sendRaw(noise);
}

void ReceiverSimulator::queueChunk(const QByteArray &bytes, qint64 due) {
    m_outgoing.push_back({bytes, due});
    m_lastDue = due;
}

void ReceiverSimulator::pump() {
    const qint64 now = m_clock.elapsed();
    while (!m_outgoing.empty() && m_outgoing.front().due <= now) {
        const QByteArray bytes = std::move(m_outgoing.front().bytes);
        m_outgoing.pop_front();
        writeNow(bytes);
    }
    if (!m_outgoing.empty())
        m_pumpTimer.start(int(std::max<qint64>(0, m_outgoing.front().due - now)));
}

void ReceiverSimulator::writeNow(const QByteArray &bytes) {
    if (m_serial) {
        m_serial->write(bytes);
    } else if (m_master >= 0) {
        if (m_ptyOut.size() + bytes.size() > kMaxQueued) {
            log(QStringLiteral("line not read; %1 byte(s) lost").arg(bytes.size()));
            return;
        }
        m_ptyOut += bytes;
        flushPtyOutput();
    } else if (m_client) {
        if (m_client->bytesToWrite() + bytes.size() > kMaxQueued) {
            log(QStringLiteral("connection not read; %1 byte(s) lost").arg(bytes.size()));
            return;
        }
        m_client->write(bytes);
    } else {
        return; // no line, or no client at its far end: the bytes are lost
    }
    Q_EMIT bytesSent(bytes);
}

void ReceiverSimulator::flushPtyOutput() {
#ifdef Q_OS_UNIX
    while (!m_ptyOut.isEmpty()) {
        const ssize_t n = ::write(m_master, m_ptyOut.constData(), size_t(m_ptyOut.size()));
        if (n > 0) {
            m_ptyOut.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The far end has not read its buffer empty yet: go on when it has room again.
            m_writeNotifier->setEnabled(true);
            return;
        }
        log(QStringLiteral("line write failed: ") + QString::fromLocal8Bit(std::strerror(errno)));
        m_ptyOut.clear();
    }
    if (m_writeNotifier) m_writeNotifier->setEnabled(false);
#endif
}

qsizetype ReceiverSimulator::pendingBytes() const {
    qsizetype n = m_ptyOut.size() + (m_client ? m_client->bytesToWrite() : 0);
    for (const Chunk &c : m_outgoing)
        n += c.bytes.size();
    return n;
}

} // namespace Sim
