// SPDX-License-Identifier: GPL-3.0-or-later
// The back-end in use and the platform's default.
#include "winamp/PlayerBackend.h"

#include <utility>

#ifdef Q_OS_WIN
#include "winamp/Win32PlayerBackend.h"
#else
#include "winamp/MprisPlayerBackend.h"
#endif

Q_LOGGING_CATEGORY(lcWinamp, "velmora.winamp", QtWarningMsg)

namespace {

std::unique_ptr<PlayerBackend> &installed() {
    static std::unique_ptr<PlayerBackend> backend;
    return backend;
}

std::unique_ptr<PlayerBackend> platformBackend() {
#ifdef Q_OS_WIN
    return std::make_unique<Win32PlayerBackend>();
#else
    return std::make_unique<MprisPlayerBackend>();
#endif
}

} // namespace

PlayerBackend &playerBackend() {
    std::unique_ptr<PlayerBackend> &backend = installed();
    if (!backend) backend = platformBackend();
    return *backend;
}

std::unique_ptr<PlayerBackend> setPlayerBackend(std::unique_ptr<PlayerBackend> backend) {
    return std::exchange(installed(), std::move(backend));
}
