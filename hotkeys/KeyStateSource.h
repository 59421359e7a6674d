// SPDX-License-Identifier: GPL-3.0-or-later
// The key-state seam: what the keyboard says about one key, for the media-key poll.
#pragma once

#include <QLoggingCategory>
#include <QtGlobal>
#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)

// Key-state bits, as the Windows asynchronous key state has them.
inline constexpr quint16 kKeyDownNow = 0x8000;      // the key is down at the time of the query
inline constexpr quint16 kKeyPressedSince = 0x0001; // pressed since the previous query of it

// Answers, per virtual-key code, what GetAsyncKeyState answers on Windows: bit 15 while the key
// is down, bit 0 when it went down since the previous query of that same key. Each query clears
// bit 0 of the key it asks about, and only of that key.
class KeyStateSource {
public:
    virtual ~KeyStateSource() = default;
    virtual qint16 keyState(qint32 virtualKey) = 0;
    // False where the keys of the whole desktop cannot be read (Wayland, no display); every
    // key then reads as not pressed.
    virtual bool isAvailable() const = 0;

    // A source that can tell when a key may have changed lets the poll sleep in between: it
    // calls wakeUp when something arrived for it, and needsPolling says whether a key of the
    // poll is down or a press waits to be asked for. Others are polled all the time.
    virtual bool canWake() const { return false; }
    virtual void setWakeUp(std::function<void()> wakeUp) { Q_UNUSED(wakeUp); }
    virtual bool needsPolling() { return true; }
};

// Stands in where no global key state can be had: nothing is ever pressed.
class NoKeyStateSource : public KeyStateSource {
public:
    qint16 keyState(qint32) override { return 0; }
    bool isAvailable() const override { return false; }
};

// The source in use: the platform's own unless one was installed. On Linux the X11 source is
// used only when the program's windows are on an X server (platform "xcb"); it then opens its
// own connection to that server.
KeyStateSource &keyStateSource();
// Installs a source and returns the previous one (null goes back to the platform's own).
std::unique_ptr<KeyStateSource> setKeyStateSource(std::unique_ptr<KeyStateSource> source);
