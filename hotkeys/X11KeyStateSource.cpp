// SPDX-License-Identifier: GPL-3.0-or-later
// The key state of an X server's keyboard, read from the program's own connection.
#include "hotkeys/X11KeyStateSource.h"

#include <QSocketNotifier>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <QList>

#include <array>
#include <chrono>
#include <cstring>
#include <iterator>

namespace {

// The keys of the media-key poll and the key symbols that stand for them on an X keyboard.
// Keyboards with a separate pause key send XF86AudioPause for what is one key elsewhere.
struct KeySymbols {
    qint32 virtualKey;
    KeySym symbols[2];
};
constexpr KeySymbols kKeys[] = {
    {107, {XK_KP_Add, NoSymbol}},
    {109, {XK_KP_Subtract, NoSymbol}},
    {173, {XF86XK_AudioMute, NoSymbol}},
    {174, {XF86XK_AudioLowerVolume, NoSymbol}},
    {175, {XF86XK_AudioRaiseVolume, NoSymbol}},
    {176, {XF86XK_AudioNext, NoSymbol}},
    {177, {XF86XK_AudioPrev, NoSymbol}},
    {178, {XF86XK_AudioStop, NoSymbol}},
    {179, {XF86XK_AudioPlay, XF86XK_AudioPause}},
};
constexpr int kKeyCount = int(std::size(kKeys));
static_assert(kKeyCount <= 16, "one bit per key in a keycode's mask");

int indexOf(qint32 virtualKey) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeys[i].virtualKey == virtualKey) return i;
    return -1;
}

// Every key of the table that goes down or up sends a raw event, so the keymap read last stays
// true until one comes; the poll then costs no request to the server while the keys rest. It
// is read again now and then all the same, for a key whose release never came (a keyboard
// unplugged while the key was held).
constexpr auto kKeymapResync = std::chrono::seconds(1);
// One tick of the poll asks for up to nine keys within microseconds: the events are taken once
// for all of them.
constexpr auto kOneTick = std::chrono::milliseconds(1);

// A broken connection ends the program in Xlib's default handler. The key-state connections
// are taken out of that: their broken connection only turns the source off. Every other
// display (the toolkit's, if it uses Xlib) keeps the handler it had.
QList<Display *> &ownDisplays() {
    // Never destroyed: the key source that removes its display from the list may itself be
    // destroyed after function-local statics at the end of the program.
    static auto *displays = new QList<Display *>;
    return *displays;
}
XIOErrorHandler previousIOErrorHandler = nullptr;

int keyStateIOError(Display *display) {
    if (ownDisplays().contains(display)) {
        qCWarning(lcHotkeys) << "the connection to the X server broke; the media keys are off";
        return 0; // then the display's own exit handler runs, which does not exit
    }
    return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
}

void takeOutOfProgramEnd(Display *display) {
    if (!previousIOErrorHandler) previousIOErrorHandler = XSetIOErrorHandler(&keyStateIOError);
    ownDisplays().append(display);
}

} // namespace

struct X11KeyStateSource::Connection {
    Display *display = nullptr;
    // Wakes the poll when the server sends something; before the display closes.
    std::unique_ptr<QSocketNotifier> notifier;
    int xiOpcode = -1;
    bool lost = false;
    // Per keycode, the keys of kKeys it produces (bit i for kKeys[i]).
    std::array<quint16, 256> keysOfKeycode{};
    // Per key of kKeys, whether one of its keycodes went down since the key was last asked for.
    std::array<bool, kKeyCount> pressed{};
    // The server's bitmap of keycodes that are down, and when it was read.
    char keymap[32] = {};
    bool keymapRead = false;
    std::chrono::steady_clock::time_point keymapTime;
    std::chrono::steady_clock::time_point refreshTime;

    ~Connection() {
        notifier.reset();
        if (!display) return;
        XCloseDisplay(display);
        ownDisplays().removeAll(display);
    }

    static void serverLost(Display *, void *self) {
        // Called instead of ending the program when the connection breaks; the source then
        // answers 0 and leaves the display alone.
        static_cast<Connection *>(self)->lost = true;
    }

    bool open(const QByteArray &name) {
        display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
        if (!display) {
            qCInfo(lcHotkeys) << "no X server at" << (name.isEmpty() ? qgetenv("DISPLAY") : name);
            return false;
        }
        XSetIOErrorExitHandler(display, &Connection::serverLost, this);
        takeOutOfProgramEnd(display);
        int event = 0, error = 0;
        if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error)) {
            qCInfo(lcHotkeys) << "the X server has no XInput extension";
            return false;
        }
        // 2.1 and later deliver raw events even while another program holds a grab.
        int major = 2, minor = 2;
        if (XIQueryVersion(display, &major, &minor) != Success) {
            qCInfo(lcHotkeys) << "the X server has no XInput 2";
            return false;
        }
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof(bits);
        mask.mask = bits;
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        readKeyboardMap();
        XSync(display, False);
        qCDebug(lcHotkeys) << "reading keys on" << DisplayString(display) << "with XInput" << major
                           << minor;
        return !lost;
    }

    void readKeyboardMap() {
        keysOfKeycode.fill(0);
        int first = 0, last = 0, perKeycode = 0;
        XDisplayKeycodes(display, &first, &last);
        first = qMax(first, 0);
        last = qMin(last, 255);
        if (last < first) return;
        KeySym *symbols =
            XGetKeyboardMapping(display, KeyCode(first), last - first + 1, &perKeycode);
        if (!symbols) return;
        for (int keycode = first; keycode <= last; ++keycode)
            for (int column = 0; column < perKeycode; ++column) {
                const KeySym symbol = symbols[(keycode - first) * perKeycode + column];
                if (symbol == NoSymbol) continue;
                for (int i = 0; i < kKeyCount; ++i)
                    for (KeySym wanted : kKeys[i].symbols)
                        if (wanted != NoSymbol && wanted == symbol)
                            keysOfKeycode[keycode] |= quint16(1u << i);
            }
        XFree(symbols);
    }

    // Takes every waiting event without blocking; true when a key of the table went down or up
    // or the keyboard map changed.
    bool drain() {
        bool keyEvents = false;
        while (!lost && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping);
                readKeyboardMap();
                keyEvents = true;
                continue;
            }
            XGenericEventCookie *cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != xiOpcode) continue;
            if (!XGetEventData(display, cookie)) continue;
            const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
            const bool press = cookie->evtype == XI_RawKeyPress;
            if ((press || cookie->evtype == XI_RawKeyRelease) && raw->detail >= 0 &&
                raw->detail < 256) {
                const quint16 keys = keysOfKeycode[raw->detail];
                if (keys != 0) keyEvents = true;
                if (press)
                    for (int i = 0; i < kKeyCount; ++i)
                        if (keys & (1u << i)) pressed[i] = true;
            }
            XFreeEventData(display, cookie);
        }
        return keyEvents;
    }

    // Brings the pressed marks and the keymap up to date. The keymap is read after the events
    // that came before it, and read again when more came in meanwhile, so that a key marked
    // pressed is never newer than the keymap that says whether it is still down.
    void refresh() {
        const auto now = std::chrono::steady_clock::now();
        if (keymapRead && now - refreshTime < kOneTick) return;
        refreshTime = now;
        const bool changed = drain();
        if (!changed && keymapRead && now - keymapTime < kKeymapResync) return;
        for (int round = 0; round < 3 && !lost; ++round) {
            XQueryKeymap(display, keymap);
            keymapRead = true;
            keymapTime = std::chrono::steady_clock::now();
            if (!drain()) break;
        }
    }

    bool isDown(int index) const {
        for (int keycode = 0; keycode < 256; ++keycode)
            if ((keysOfKeycode[keycode] & (1u << index)) &&
                (keymap[keycode / 8] >> (keycode % 8)) & 1)
                return true;
        return false;
    }
};

X11KeyStateSource::X11KeyStateSource(const QByteArray &displayName)
    : d(std::make_unique<Connection>()) {
    if (!d->open(displayName)) d->lost = true;
}

X11KeyStateSource::~X11KeyStateSource() = default;

bool X11KeyStateSource::isAvailable() const {
    return d->display && !d->lost;
}

bool X11KeyStateSource::canWake() const {
    return isAvailable();
}

void X11KeyStateSource::setWakeUp(std::function<void()> wakeUp) {
    d->notifier.reset();
    if (!wakeUp || !isAvailable()) return;
    d->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(d->display), QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, d->notifier.get(),
                     [this, wakeUp] {
                         // Takes the events in; only a key of the table wakes the poll.
                         if (d->lost) {
                             d->notifier->setEnabled(false);
                             return;
                         }
                         if (!d->drain()) return;
                         // The keymap read before these events is out of date.
                         d->keymapRead = false;
                         wakeUp();
                     });
}

bool X11KeyStateSource::needsPolling() {
    if (!isAvailable()) return false;
    d->refresh();
    for (int i = 0; i < kKeyCount; ++i)
        if (d->pressed[i] || d->isDown(i)) return true;
    return false;
}

qint16 X11KeyStateSource::keyState(qint32 virtualKey) {
    const int index = indexOf(virtualKey);
    if (index < 0 || !isAvailable()) return 0;
    d->refresh();
    if (d->lost) return 0;
    quint16 state = d->isDown(index) ? kKeyDownNow : 0;
    if (d->pressed[index]) state |= kKeyPressedSince;
    d->pressed[index] = false;
    return qint16(state);
}
