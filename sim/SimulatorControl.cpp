// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's control channel: front panel, remote control and faults, one line each.
#include "sim/ReceiverSimulator.h"
#include "state/PanelTables.h"

#include <QTimer>

namespace Sim {

namespace {
QString code(quint16 op) {
    return QStringLiteral("0") + hex2(op >> 8) + hex2(op);
}

std::optional<bool> onOffArg(const QString &word, const char *on = "on", const char *off = "off") {
    if (word == QLatin1String(on)) return true;
    if (word == QLatin1String(off)) return false;
    return std::nullopt;
}

std::optional<int> intArg(const QString &word, int lo, int hi) {
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < lo || v > hi) return std::nullopt;
    return v;
}

QString usage(const char *form) {
    return QStringLiteral("usage: ") + QLatin1String(form);
}

// A model ID as the receiver sends it: five upper-case letters or digits.
bool validModelId(const QString &id) {
    if (id.size() != 5) return false;
    for (const QChar c : id)
        if (!(c.isDigit() || (c >= u'A' && c <= u'Z'))) return false;
    return true;
}

std::optional<int> dspByArg(const QString &arg) {
    if (const auto index = intArg(arg, 0, 31)) return index;
    for (int i = 0; i < 32; ++i)
        if (nameKey(QString::fromLatin1(kDspPrograms[i].name)) == nameKey(arg)) return i;
    return std::nullopt;
}
} // namespace

QString ReceiverSimulator::helpText() {
    return QStringLiteral(
        "help                      this list\n"
        "state                     the receiver's state and the faults in force\n"
        "model <ID>                become another model, e.g. R0112 (any five letters/digits)\n"
        "power on|off              front panel power\n"
        "input <name>              front panel input: PHONO CD TUNER TAPE MD DVD LD D-TV\n"
        "                          CBL/SAT VCR1 VCR2 VCR3 V-AUX CD-R\n"
        "volume up|down [n]        front panel volume, n steps (default 1)\n"
        "mute on|off               main zone mute\n"
        "zone2 input <name>        zone 2 input\n"
        "zone2 volume up|down [n]  zone 2 volume\n"
        "zone2 mute on|off         zone 2 mute\n"
        "speakers a|b on|off       speaker sets\n"
        "dsp <0-31|name>           DSP program (0 = effect off)\n"
        "sleep off|30|60|90|120    sleep timer\n"
        "panel <code>              any five-character command as if from the front panel\n"
        "remote <code>             any five-character command as if from the remote control\n"
        "es                        remote 6.1/ES key pressed once\n"
        "es2                       remote 6.1/ES key pressed twice, 300 ms apart\n"
        "headphones in|out         plug or unplug headphones\n"
        "warning 0|1|2|3           over current, DC, power trouble, over heat\n"
        "test 0|1|2                send the RS-232C test message 2F000..2F002\n"
        "reports on|off            enable or disable reports as the program would\n"
        "send <text>               send STX <text> ETX as it is\n"
        "delay <ms>                delay every answer and report by ms (0 = off)\n"
        "drop [n]                  drop the next n frames the receiver sends (default 1; 0 ends\n"
        "                          the dropping)\n"
        "split on|off              send every frame in two writes 20 ms apart\n"
        "noise [n]                 send n bytes of line noise without STX (default 16)\n"
        "reset                     receiver back to its start state, faults off\n"
        "quit                      end the simulator");
}

QString ReceiverSimulator::control(const QString &line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return {};
    const QString cmd = words[0].toLower();
    auto arg = [&words](int i) { return i < words.size() ? words[i].toLower() : QString(); };
    auto rest = [&words](int from) { return words.mid(from).join(QLatin1Char(' ')); };
    // Front panel and remote actions act on the model, their frames go out through the faults;
    // what happened is the reply rather than an activity line.
    auto act = [this](const Response &r) {
        for (const QByteArray &f : r.frames)
            queueFrame(f);
        return r.notes.join(QLatin1Char('\n'));
    };
    auto panel = [&](quint16 op) { return act(m_model.execute(code(op), Source::Panel)); };
    auto steps = [&](quint16 up, quint16 down, int at) -> QString {
        const auto dir = onOffArg(arg(at), "up", "down");
        const auto n = words.size() > at + 1 ? intArg(arg(at + 1), 1, 255) : std::optional(1);
        if (!dir || !n) return usage("volume up|down [n]");
        QStringList notes;
        for (int i = 0; i < *n; ++i)
            notes << panel(*dir ? up : down);
        return notes.last();
    };

    if (cmd == QLatin1String("help")) return helpText();
    if (cmd == QLatin1String("state")) {
        return m_model.describe() +
               QStringLiteral("\nline %1, faults: delay %2 ms, drop %3, split %4")
                   .arg(isOpen() ? m_devicePath : QStringLiteral("closed"))
                   .arg(m_delayMs)
                   .arg(m_dropCount)
                   .arg(m_split ? "on" : "off");
    }
    if (cmd == QLatin1String("model")) {
        const QString id = words.value(1).toUpper();
        if (!validModelId(id)) return usage("model <five letters or digits>");
        m_model.setModelId(id);
        return QStringLiteral("model %1 (%2)").arg(id, modelName(id));
    }
    if (cmd == QLatin1String("power")) {
        const auto on = onOffArg(arg(1));
        if (!on) return usage("power on|off");
        return panel(*on ? 0x7A1D : 0x7A1E);
    }
    if (cmd == QLatin1String("input")) {
        const InputEntry *e = inputByName(rest(1));
        if (!e) return usage("input <name>");
        return panel(e->mainCode);
    }
    if (cmd == QLatin1String("volume")) return steps(0x7A1A, 0x7A1B, 1);
    if (cmd == QLatin1String("mute")) {
        const auto on = onOffArg(arg(1));
        if (!on) return usage("mute on|off");
        return panel(*on ? 0x7EA2 : 0x7EA3);
    }
    if (cmd == QLatin1String("zone2")) {
        if (arg(1) == QLatin1String("input")) {
            const InputEntry *e = inputByName(rest(2));
            if (!e) return usage("zone2 input <name>");
            return panel(e->zone2Code);
        }
        if (arg(1) == QLatin1String("volume")) return steps(0x7ADA, 0x7ADB, 2);
        if (arg(1) == QLatin1String("mute")) {
            const auto on = onOffArg(arg(2));
            if (!on) return usage("zone2 mute on|off");
            return panel(*on ? 0x7EA0 : 0x7EA1);
        }
        return usage("zone2 input <name> | volume up|down [n] | mute on|off");
    }
    if (cmd == QLatin1String("speakers")) {
        const auto on = onOffArg(arg(2));
        if (!on || (arg(1) != QLatin1String("a") && arg(1) != QLatin1String("b")))
            return usage("speakers a|b on|off");
        if (arg(1) == QLatin1String("a")) return panel(*on ? 0x7EAB : 0x7EAC);
        return panel(*on ? 0x7EAD : 0x7EAE);
    }
    if (cmd == QLatin1String("dsp")) {
        const auto index = dspByArg(rest(1));
        if (!index) return usage("dsp <0-31|name>");
        return panel(quint16(kDspFirstCode + *index));
    }
    if (cmd == QLatin1String("sleep")) {
        if (arg(1) == QLatin1String("off")) return panel(0x7EB3);
        const auto data = sleepDataForMinutes(arg(1).toInt());
        if (!data || *data == kSleepOff) return usage("sleep off|30|60|90|120");
        return panel(quint16(0x7EB4 + *data));
    }
    if (cmd == QLatin1String("panel") || cmd == QLatin1String("remote")) {
        if (words.size() != 2) return usage("panel|remote <code>");
        return act(m_model.execute(words[1].toUpper(),
                                   cmd == QLatin1String("panel") ? Source::Panel : Source::Remote));
    }
    if (cmd == QLatin1String("es")) return act(m_model.pressRemoteEsKey());
    if (cmd == QLatin1String("es2")) {
        // Two presses close together: the program tells them from a single press by the gap.
        const QString first = act(m_model.pressRemoteEsKey());
        QTimer::singleShot(300, this, [this] { emitResponse(m_model.pressRemoteEsKey()); });
        return first + QStringLiteral(" (second press in 300 ms)");
    }
    if (cmd == QLatin1String("headphones")) {
        const auto in = onOffArg(arg(1), "in", "out");
        if (!in) return usage("headphones in|out");
        return act(m_model.setHeadphones(*in));
    }
    if (cmd == QLatin1String("warning")) {
        const auto n = intArg(arg(1), 0, 3);
        if (!n) return usage("warning 0|1|2|3");
        return act(m_model.raiseWarning(*n));
    }
    if (cmd == QLatin1String("test")) {
        const auto n = intArg(arg(1), 0, 2);
        if (!n) return usage("test 0|1|2");
        return act(m_model.sendTestMessage(*n));
    }
    if (cmd == QLatin1String("reports")) {
        const auto on = onOffArg(arg(1));
        if (!on) return usage("reports on|off");
        return act(m_model.execute(*on ? u"20000" : u"20001"));
    }
    if (cmd == QLatin1String("send")) {
        if (words.size() < 2) return usage("send <text>");
        // The text as typed, blanks inside it included.
        const QString text = line.trimmed().mid(words[0].size()).trimmed();
        queueFrame(frame(text));
        return QStringLiteral("sent \"%1\"").arg(text);
    }
    if (cmd == QLatin1String("delay")) {
        const auto ms = intArg(arg(1), 0, 60000);
        if (!ms) return usage("delay <ms>");
        setAnswerDelay(*ms);
        return *ms ? QStringLiteral("answers and reports delayed by %1 ms").arg(*ms)
                   : QStringLiteral("no delay");
    }
    if (cmd == QLatin1String("drop")) {
        const auto n = words.size() > 1 ? intArg(arg(1), 0, 1000) : std::optional(1);
        if (!n) return usage("drop [n]");
        // "drop 0" sends every frame again.
        if (*n == 0) m_dropCount = 0;
        dropNextAnswers(*n);
        return QStringLiteral("dropping the next %1 frame(s)").arg(m_dropCount);
    }
    if (cmd == QLatin1String("split")) {
        const auto on = onOffArg(arg(1));
        if (!on) return usage("split on|off");
        setSplitFrames(*on);
        return QStringLiteral("split frames %1").arg(*on ? "on" : "off");
    }
    if (cmd == QLatin1String("noise")) {
        const auto n = words.size() > 1 ? intArg(arg(1), 1, 4096) : std::optional(16);
        if (!n) return usage("noise [n]");
        sendNoise(*n);
        return QStringLiteral("%1 byte(s) of noise sent").arg(*n);
    }
    if (cmd == QLatin1String("reset")) {
        m_model.restoreStartState();
        m_delayMs = 0;
        m_dropCount = 0;
        m_split = false;
        return QStringLiteral("receiver back to its start state, faults off");
    }
    if (cmd == QLatin1String("quit")) {
        Q_EMIT quitRequested();
        return QStringLiteral("bye");
    }
    return QStringLiteral("unknown command \"%1\" (try help)").arg(words[0]);
}

} // namespace Sim
