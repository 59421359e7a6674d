// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndOnSignal.h"

#include "base/SignalPipe.h"

#include <QtGlobal>

#include <csignal>

void endOnSignals(std::function<void()> end) {
#ifdef Q_OS_UNIX
    callOnSignals({SIGINT, SIGHUP, SIGTERM}, std::move(end));
#else
    Q_UNUSED(end);
#endif
}
