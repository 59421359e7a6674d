// SPDX-License-Identifier: GPL-3.0-or-later
// Overlapped reads and writes on a COM port, and how they tell a pulled adapter.
#include "link/Win32SerialTransport.h"

#include "base/RuntimeError.h"

#include <QLoggingCategory>
#include <QTimer>
#include <QWinEventNotifier>

#include <qt_windows.h>

Q_LOGGING_CATEGORY(lcPort, "velmora.link.port", QtWarningMsg)

namespace {
// The receiver's input buffer size; what does not fit stays with the system until read.
constexpr DWORD kBufferSize = 1024;
// A read waits this long for its first byte, then comes back empty and is started again.
constexpr DWORD kReadWaitMs = 60000;
// How long a read of bytes that have arrived already may take.
constexpr DWORD kArrivedMs = 100;
// A read that came back empty at once (no driver does that with these time-outs; a line
// whose far end has gone may) is not started again before this pause...
constexpr int kRetryMs = 200;
// ...and after this many of them in a row the line is taken for gone, as a read that finds
// the end of the file is on other systems.
constexpr int kEmptyReadsGone = 5;

void closeIfSet(HANDLE &handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}
} // namespace

// The open port: its handle and one overlapped read and one overlapped write, each with its
// own event. Destroying it ends both operations before the buffers and events go.
struct Win32SerialTransport::Line {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED reading{};
    OVERLAPPED writing{};
    bool readPending = false;
    char chunk[kBufferSize];

    Line() {
        reading.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writing.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Line() {
        if (handle != INVALID_HANDLE_VALUE) {
            // The system writes into the buffer and signals the event until the read has
            // really ended, cancelled or not: wait for it.
            CancelIoEx(handle, nullptr);
            if (readPending) {
                DWORD count = 0;
                GetOverlappedResult(handle, &reading, &count, TRUE);
            }
            CloseHandle(handle);
        }
        closeIfSet(reading.hEvent);
        closeIfSet(writing.hEvent);
    }
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;
};

bool portDeviceGone(unsigned long systemError) {
    switch (systemError) {
    case ERROR_SUCCESS:
    case ERROR_IO_PENDING:
    case ERROR_IO_INCOMPLETE:
    // Time-outs.
    case ERROR_COUNTER_TIMEOUT:
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT:
    case WAIT_TIMEOUT:
    // The system is short of memory or quota for the moment.
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
    case ERROR_NONPAGED_SYSTEM_RESOURCES:
    case ERROR_NOT_ENOUGH_QUOTA:
    case ERROR_WORKING_SET_QUOTA:
        return false;
    default:
        // ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND, ERROR_GEN_FAILURE, ERROR_DEVICE_REMOVED,
        // ERROR_OPERATION_ABORTED, ERROR_INVALID_HANDLE, ERROR_NOT_READY, ERROR_FILE_NOT_FOUND and
        // whatever else a driver says when it cannot reach its device any more.
        return true;
    }
}

Win32SerialTransport::Win32SerialTransport(QObject *parent)
    : Transport(parent), m_retry(new QTimer(this)) {
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, [this] {
        const qsizetype before = m_buffer.size();
        startRead();
        if (m_buffer.size() > before) Q_EMIT readable();
    });
}

Win32SerialTransport::~Win32SerialTransport() {
    close();
}

QString Win32SerialTransport::describe(unsigned long systemError) const {
    return m_device + QStringLiteral(": ") + qt_error_string(int(systemError)).trimmed();
}

void Win32SerialTransport::open(const QString &device) {
    close();
    m_device = device;
    // The \\.\ form names every port; the plain name works for COM1 to COM9 only.
    const QString path = QStringLiteral("\\\\.\\") + device;
    auto line = std::make_unique<Line>();
    line->handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (line->handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            raiseComError(ErrNr::ComInvalidPortNumber, describe(error));
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            raiseComError(ErrNr::ComPortNotAvailable, describe(error));
        default:
            raiseComError(ErrNr::ComSetStateFailed, describe(error));
        }
    }
    if (!line->reading.hEvent || !line->writing.hEvent)
        raiseComError(ErrNr::ComSetStateFailed, describe(GetLastError()));

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool configured = GetCommState(line->handle, &dcb);
    if (configured) {
        dcb.BaudRate = CBR_9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE; // a line error must not fail every read until it is cleared
        // The receiver's cable uses only the data lines; raising DTR and RTS does no harm and
        // powers the level converters of adapters that draw from them.
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        configured = SetCommState(line->handle, &dcb);
    }
    if (configured) {
        // A read comes back as soon as one byte is there, or empty after kReadWaitMs.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = kReadWaitMs;
        configured = SetCommTimeouts(line->handle, &timeouts);
    }
    if (!configured) raiseComError(ErrNr::ComSetStateFailed, describe(GetLastError()));
    SetupComm(line->handle, 4096, 4096); // a wish; the driver may keep its own sizes
    PurgeComm(line->handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);

    m_line = std::move(line);
    m_buffer.clear();
    m_emptyReads = 0;
    m_notifier = new QWinEventNotifier(m_line->reading.hEvent, this);
    connect(m_notifier, &QWinEventNotifier::activated, this,
            &Win32SerialTransport::onReadSignalled);
    startRead();
}

void Win32SerialTransport::close() {
    m_retry->stop();
    if (m_notifier) {
        // The close may come from the notifier's own signal: it goes once that has returned.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    m_line.reset();
}

bool Win32SerialTransport::isOpen() const {
    return m_line != nullptr;
}

void Win32SerialTransport::startRead() {
    while (m_line && !m_line->readPending && m_buffer.size() < qsizetype(kBufferSize)) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(m_line->handle, &errors, &status)) {
            readFailed(GetLastError());
            return;
        }
        // What has arrived is read as it is. With nothing there one byte is asked for: such a
        // read ends when the next byte comes under every driver, where a longer one may wait
        // until it is filled (Wine's serial driver does).
        const DWORD queued = status.cbInQue;
        const DWORD space = kBufferSize - DWORD(m_buffer.size());
        m_readStarted.start();
        m_line->readPending = true;
        if (!ReadFile(m_line->handle, m_line->chunk, queued > 0 ? qMin(queued, space) : 1, nullptr,
                      &m_line->reading)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                m_line->readPending = false;
                readFailed(error);
                return;
            }
            // Bytes that have arrived may still be handed over asynchronously; they are there
            // in a moment.
            if (queued == 0 ||
                WaitForSingleObject(m_line->reading.hEvent, kArrivedMs) != WAIT_OBJECT_0)
                return;
        }
        if (!collectRead()) return;
    }
    // No read pending: nothing may signal the notifier for a read that was taken in already.
    if (m_line && !m_line->readPending) ResetEvent(m_line->reading.hEvent);
}

void Win32SerialTransport::readFailed(unsigned long systemError) {
    ResetEvent(m_line->reading.hEvent);
    if (portDeviceGone(systemError)) {
        loseDevice(systemError);
        return;
    }
    qCWarning(lcPort).noquote() << describe(systemError);
    m_retry->start(kRetryMs);
}

bool Win32SerialTransport::collectRead() {
    DWORD count = 0;
    if (!GetOverlappedResult(m_line->handle, &m_line->reading, &count, FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE) return false;
        m_line->readPending = false;
        readFailed(error);
        return false;
    }
    m_line->readPending = false;
    if (count > 0) {
        m_buffer.append(m_line->chunk, qsizetype(count));
        m_emptyReads = 0;
        return true;
    }
    if (m_readStarted.elapsed() >= kReadWaitMs / 2) return true; // its wait ran out on a quiet line
    // Back at once with nothing, which no driver does with these time-outs while its device is
    // there. The next read asks the device first; one that still answers but keeps reading
    // nothing has ended like a file.
    if (++m_emptyReads >= kEmptyReadsGone) {
        loseDevice(ERROR_HANDLE_EOF);
        return false;
    }
    ResetEvent(m_line->reading.hEvent);
    m_retry->start(kRetryMs);
    return false;
}

void Win32SerialTransport::onReadSignalled() {
    if (!m_line) return;
    if (!m_line->readPending) {
        ResetEvent(m_line->reading.hEvent);
        return;
    }
    const qsizetype before = m_buffer.size();
    if (collectRead()) startRead();
    if (m_buffer.size() > before) Q_EMIT readable();
}

qint64 Win32SerialTransport::bytesAvailable() {
    if (!m_line) return 0;
    // Take in a read that has completed, without waiting for one that has not. (The look at
    // the event also lets the system finish a read whose byte has arrived.)
    if (m_line->readPending && WaitForSingleObject(m_line->reading.hEvent, 0) == WAIT_OBJECT_0 &&
        collectRead())
        startRead();
    return m_buffer.size();
}

QByteArray Win32SerialTransport::read() {
    QByteArray bytes;
    bytes.swap(m_buffer);
    // A full buffer held reading back.
    if (m_line && !m_line->readPending && !m_retry->isActive()) startRead();
    return bytes;
}

void Win32SerialTransport::write(const QByteArray &bytes, int timeoutMs) {
    if (!m_line) raiseComError(ErrNr::ComPortNotOpen);
    if (bytes.isEmpty()) return;
    OVERLAPPED &op = m_line->writing;
    DWORD error = ERROR_SUCCESS;
    DWORD written = 0;
    if (!WriteFile(m_line->handle, bytes.constData(), DWORD(bytes.size()), nullptr, &op))
        error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        if (WaitForSingleObject(op.hEvent, DWORD(qMax(0, timeoutMs))) != WAIT_OBJECT_0) {
            // Not gone in time: give it up, and wait until the system has let go of it. What
            // follows (a reconnect) is the caller's.
            CancelIoEx(m_line->handle, &op);
            GetOverlappedResult(m_line->handle, &op, &written, TRUE);
            return;
        }
        error = ERROR_SUCCESS;
    }
    if (error == ERROR_SUCCESS && !GetOverlappedResult(m_line->handle, &op, &written, FALSE))
        error = GetLastError();
    if (error == ERROR_SUCCESS) return;
    if (portDeviceGone(error)) {
        loseDevice(error);
        return;
    }
    raiseComError(ErrNr::ComWriteFailed, describe(error));
}

void Win32SerialTransport::loseDevice(unsigned long systemError) {
    if (!m_line) return;
    const QString reason = describe(systemError);
    qCWarning(lcPort).noquote() << reason;
    close();
    Q_EMIT lost(reason);
}
