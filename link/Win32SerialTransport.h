// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows serial back-end of the line: a COM port at 9600 baud, 8N1, read overlapped.
#pragma once

#include "link/Transport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

class QTimer;
class QWinEventNotifier;

// Whether the device behind an open port has gone, from the system error a read, a write or a
// look at the port failed with. A pulled adapter fails with ERROR_ACCESS_DENIED,
// ERROR_BAD_COMMAND, ERROR_GEN_FAILURE, ERROR_DEVICE_REMOVED or ERROR_OPERATION_ABORTED (its
// driver aborts what was pending); a handle that no longer works, with ERROR_INVALID_HANDLE.
// Time-outs and a system short of memory for a moment are not. (An abort this program asks for,
// closing the port or giving up a write, is waited for there and never comes here.)
bool portDeviceGone(unsigned long systemError);

class Win32SerialTransport : public Transport {
    Q_OBJECT
public:
    explicit Win32SerialTransport(QObject *parent = nullptr);
    ~Win32SerialTransport() override;

    // Opens \\.\COMn, so that ports above 9 open too, at 9600 baud, 8 data bits, no parity,
    // 1 stop bit, without flow control.
    void open(const QString &device) override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes, int timeoutMs) override;
    qint64 bytesAvailable() override;
    QByteArray read() override;

private:
    struct Line; // the handle and the two overlapped operations

    // Starts the next read unless one is pending, the buffer is full or the port is closed.
    // Reads that complete at once are taken in until one stays pending.
    void startRead();
    // Takes in the pending read if it has completed; false when it has not, or when reading
    // has to pause or has ended.
    bool collectRead();
    // A read could not be started or failed: the device has gone, or reading pauses.
    void readFailed(unsigned long systemError);
    void onReadSignalled();
    // Closes the port and says why with lost.
    void loseDevice(unsigned long systemError);
    // The system's text for an error, after the device name.
    QString describe(unsigned long systemError) const;

    std::unique_ptr<Line> m_line;
    QWinEventNotifier *m_notifier = nullptr;
    QTimer *m_retry = nullptr; // restarts reading after a pause
    QString m_device;
    QByteArray m_buffer;
    QElapsedTimer m_readStarted;
    int m_emptyReads = 0; // reads in a row that came back at once with nothing
};
