// SPDX-License-Identifier: GPL-3.0-or-later
// The key-state seam on an X server: XInput2 raw key presses for "pressed since the last
// query", XQueryKeymap for "down now".
#pragma once

#include "hotkeys/KeyStateSource.h"

#include <QByteArray>
#include <memory>

// Keeps its own connection to the X server, apart from the toolkit's, so that it works the same
// for the program's windows and for tests whose windows are offscreen. Raw key presses are
// selected on the root window: they arrive whichever window has the focus, and no key is
// grabbed from other programs. Knows the virtual-key codes of the media-key poll (keypad plus
// and minus, the volume keys and the player keys); every other code reads as not pressed, and
// so does a key whose symbol the keyboard map lacks.
class X11KeyStateSource : public KeyStateSource {
public:
    // displayName as in DISPLAY (":1"); empty means DISPLAY itself. Without a server, or on one
    // without XInput 2, the source is not available and answers 0 for every key.
    explicit X11KeyStateSource(const QByteArray &displayName = QByteArray());
    ~X11KeyStateSource() override;
    X11KeyStateSource(const X11KeyStateSource &) = delete;
    X11KeyStateSource &operator=(const X11KeyStateSource &) = delete;

    qint16 keyState(qint32 virtualKey) override;
    // True while the connection stands; false from the start without a usable server, and once
    // the server has gone away.
    bool isAvailable() const override;
    // The X connection says when events arrive; the poll sleeps while no key of its table is
    // down and no press waits.
    bool canWake() const override;
    void setWakeUp(std::function<void()> wakeUp) override;
    bool needsPolling() override;

private:
    struct Connection;
    std::unique_ptr<Connection> d;
};
