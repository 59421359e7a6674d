// SPDX-License-Identifier: GPL-3.0-or-later
// The byte line under the "Com" control, whatever carries it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// One open line to the receiver. The control above it speaks in text, port numbers and its
// busy flag; a back-end only moves bytes and says when they arrive or when its device goes.
class Transport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the named device for reading and writing. A device that is missing, busy or cannot
    // be set up raises the Com control's run-time error naming the device and the reason.
    virtual void open(const QString &device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the bytes in one write and waits up to timeoutMs for them to leave; a write that
    // the device refuses raises the Com control's write error.
    virtual void write(const QByteArray &bytes, int timeoutMs) = 0;
    // The bytes that wait to be read, after taking in what the system holds, without waiting.
    virtual qint64 bytesAvailable() = 0;
    // Everything that waits to be read.
    virtual QByteArray read() = 0;

Q_SIGNALS:
    // Bytes arrived while the event loop was running.
    void readable();
    // The device went away under the open line; the line is closed already.
    void lost(const QString &reason);
};

// The back-end for a device name: the network back-end for a bridge's URL (tcp:// or
// rfc2217://), else the serial one (a serial device or pseudo-terminal).
std::unique_ptr<Transport> makeTransport(const QString &device);

// Raises the Com control's run-time error `number`, with the detail in brackets after its text.
[[noreturn]] void raiseComError(long number, const QString &detail = QString());
