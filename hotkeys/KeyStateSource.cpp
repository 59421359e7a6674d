// SPDX-License-Identifier: GPL-3.0-or-later
// The key-state source in use and the platform's default.
#include "hotkeys/KeyStateSource.h"

#include <QGuiApplication>
#include <utility>

#ifdef Q_OS_WIN
#include "hotkeys/Win32KeyStateSource.h"
#elif defined(VELMORA_HAVE_X11)
#include "hotkeys/X11KeyStateSource.h"
#endif

Q_LOGGING_CATEGORY(lcHotkeys, "velmora.hotkeys", QtWarningMsg)

namespace {

std::unique_ptr<KeyStateSource> &installed() {
    static std::unique_ptr<KeyStateSource> source;
    return source;
}

std::unique_ptr<KeyStateSource> platformSource() {
#ifdef Q_OS_WIN
    return std::make_unique<Win32KeyStateSource>();
#else
#ifdef VELMORA_HAVE_X11
    // Only where the windows themselves are on an X server: under Wayland an X server (if any)
    // sees only the keys typed into its own windows, and offscreen there may be none at all.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<X11KeyStateSource>();
        if (x11->isAvailable()) return x11;
    }
#endif
    qCInfo(lcHotkeys) << "no global key state on platform" << QGuiApplication::platformName();
    return std::make_unique<NoKeyStateSource>();
#endif
}

} // namespace

KeyStateSource &keyStateSource() {
    std::unique_ptr<KeyStateSource> &source = installed();
    if (!source) source = platformSource();
    return *source;
}

std::unique_ptr<KeyStateSource> setKeyStateSource(std::unique_ptr<KeyStateSource> source) {
    return std::exchange(installed(), std::move(source));
}
