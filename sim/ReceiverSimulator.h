// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated receiver on a serial line: a pseudo-terminal of its own, a real serial device, or
// a TCP port standing for the line as a serial-to-network bridge does.
#pragma once

#include "sim/ReceiverModel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

class QSerialPort;
class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace Sim {

// Everything runs on the thread that owns the object, driven by its event loop (nested loops
// included); nothing here ever blocks. The program's tests run it in their own process.
class ReceiverSimulator : public QObject {
    Q_OBJECT
public:
    explicit ReceiverSimulator(QObject *parent = nullptr);
    ReceiverSimulator(const QString &modelId, bool standby, QObject *parent = nullptr);
    ~ReceiverSimulator() override;

    // Opens a new pseudo-terminal in raw mode; the program opens devicePath(). Unix only.
    bool openPty();
    // Opens a real serial device at 9600 baud, 8N1.
    bool openDevice(const QString &path);
    // Listens on a TCP port of every address (0: a free one) as a raw serial-to-network bridge:
    // one client is the line's far end, and a new client replaces the old one.
    bool listenTcp(quint16 port);
    void close();
    bool isOpen() const;
    // Ends the line the way a pulled USB adapter does while every descriptor stays open:
    // HangUp hangs the program's end up (TIOCVHANGUP, the kernel's path for a disconnected
    // device; needs CAP_SYS_ADMIN), CloseMaster closes the simulator's end, so the program's
    // end reads end of file. Nothing goes over the line afterwards. False when it failed.
    enum class Pull { HangUp, CloseMaster };
    bool pullLine(Pull how);
    // What the program must open: the pseudo-terminal's slave, the device, or tcp://localhost:PORT.
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

    ReceiverModel &model() { return m_model; }
    const ReceiverModel &model() const { return m_model; }

    // One line of the control channel ("help" lists them); returns the reply text.
    QString control(const QString &line);
    static QString helpText();

    // Faults on the outgoing side.
    void setAnswerDelay(int ms);
    int answerDelay() const { return m_delayMs; }
    void dropNextAnswers(int count = 1);
    void setSplitFrames(bool on) { m_split = on; }
    bool splitFrames() const { return m_split; }
    void sendNoise(int count = 16);
    // Puts bytes on the line as they are, behind whatever is already waiting to go out.
    void sendRaw(const QByteArray &bytes);
    // Hands a model's reaction to the line (frames through the faults) and to activity().
    void emitResponse(const Response &response);

    // Bytes queued but not yet written (delayed or split frames, or a full line).
    qsizetype pendingBytes() const;

Q_SIGNALS:
    // A readable line about what the receiver did: frames received and sent, display text.
    void activity(const QString &line);
    // Bytes as they arrived from the line, before any framing.
    void bytesReceived(const QByteArray &bytes);
    // Bytes as they were handed to the line (one signal per write; split frames give two).
    void bytesSent(const QByteArray &bytes);
    // The control channel asked the simulator to end ("quit").
    void quitRequested();

private:
    void onReadable();
    void onIncoming(const QByteArray &bytes);
    void takeClient();
    void queueFrame(const QByteArray &frame);
    void queueChunk(const QByteArray &bytes, qint64 due);
    void pump();
    void writeNow(const QByteArray &bytes);
    void flushPtyOutput();
    void log(const QString &line);

    ReceiverModel m_model;
    QString m_devicePath;
    QString m_error;

    int m_master = -1; // pseudo-terminal master: what the receiver reads and writes
    int m_slave = -1;  // kept open so the line never hangs up while the program is away
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_ptyOut; // written to the master as fast as the line takes it
    QSerialPort *m_serial = nullptr;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_client = nullptr; // the line's far end while one is connected

    struct Chunk {
        QByteArray bytes;
        qint64 due; // ms on m_clock
    };
    std::deque<Chunk> m_outgoing;
    QElapsedTimer m_clock;
    QTimer m_pumpTimer;
    qint64 m_lastDue = 0;
    int m_delayMs = 0;
    int m_dropCount = 0;
    bool m_split = false;
};

} // namespace Sim
