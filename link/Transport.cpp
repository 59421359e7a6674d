// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of back-end for a device, and the Com control's run-time errors.
#include "link/Transport.h"

#include "base/RuntimeError.h"

#include "link/TcpTransport.h"

#ifdef Q_OS_WIN
#include "link/Win32SerialTransport.h"
#else
#include "link/SerialTransport.h"
#endif

std::unique_ptr<Transport> makeTransport(const QString &device) {
    if (isBridgeUrl(device)) return std::make_unique<TcpTransport>();
#ifdef Q_OS_WIN
    return std::make_unique<Win32SerialTransport>();
#else
    return std::make_unique<SerialTransport>();
#endif
}

void raiseComError(long number, const QString &detail) {
    QString text = RuntimeError::standardText(number);
    if (!detail.isEmpty()) text += QStringLiteral(" (") + detail + QLatin1Char(')');
    throw RuntimeError(number, text, QStringLiteral("Com"));
}
