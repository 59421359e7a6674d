// SPDX-License-Identifier: GPL-3.0-or-later
// Command execution and reports of the simulated receiver.
#include "sim/ReceiverModel.h"

#include "sim/ConfigurationAnswer.h"

#include <algorithm>

namespace Sim {

namespace {
// Operation codes the receiver acts on beyond the input and DSP tables.
enum Op : quint16 {
    MainVolumeUp = 0x7A1A,
    MainVolumeDown = 0x7A1B,
    PowerOn = 0x7A1D,
    PowerOff = 0x7A1E,
    Zone2VolumeUp = 0x7ADA,
    Zone2VolumeDown = 0x7ADB,
    MemorySaveA = 0x7E6B,
    MemorySaveF = 0x7E70,
    MemoryRecallA = 0x7E75,
    MemoryRecallF = 0x7E7A,
    Zone2MuteOn = 0x7EA0,
    Zone2MuteOff = 0x7EA1,
    MuteOn = 0x7EA2,
    MuteOff = 0x7EA3,
    SixChannelOn = 0x7EA4,
    SixChannelOff = 0x7EA5,
    InputModeAuto = 0x7EA6,
    InputModeAnalog = 0x7EAA,
    SpeakersAOn = 0x7EAB,
    SpeakersAOff = 0x7EAC,
    SpeakersBOn = 0x7EAD,
    SpeakersBOff = 0x7EAE,
    SleepOff = 0x7EB3,
    Sleep120 = 0x7EB4,
    Sleep30 = 0x7EB7,
    EsOn = 0x7EB8,
    EsOff = 0x7EB9,
};

// System codes (after the leading "2").
enum Sys : quint16 {
    ReportsOn = 0x0000,
    ReportsOff = 0x0001,
    IntervalFirst = 0x0100,
    IntervalLast = 0x0107,
    DisplayStart = 0x1000,
    TestFirst = 0xF000,
    TestLast = 0xF002,
};

std::optional<quint16> parseHex4(QStringView text) {
    if (text.size() != 4) return std::nullopt;
    quint16 value = 0;
    for (const QChar c : text) {
        const int d = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (d < 0) return std::nullopt;
        value = quint16(value << 4 | d);
    }
    return value;
}

const char *onOff(bool on) {
    return on ? "on" : "off";
}

QString inputName(int digit) {
    const InputEntry *e = inputByDigit(digit);
    return e ? QString::fromLatin1(e->name) : QStringLiteral("?");
}

QString bankName(int bank) {
    return QString(QChar(u'A' + bank));
}
} // namespace

QString reportPrefix(Source source) {
    return QString(QChar(u'0' + int(source))) + QLatin1Char('0');
}

QString hex2(int value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QByteArray frame(const QString &text) {
    QByteArray f(1, Byte::STX);
    f += text.toLatin1();
    f += Byte::ETX;
    return f;
}

QStringList Response::texts() const {
    QStringList out;
    for (const QByteArray &f : frames)
        out << QString::fromLatin1(f.mid(1, f.size() - 2));
    return out;
}

void Response::append(const Response &other) {
    frames += other.frames;
    notes += other.notes;
}

ReceiverModel::ReceiverModel(const QString &modelId, bool standby) : m_modelId(modelId) {
    m_state.power = !standby;
    m_startState = m_state;
}

void ReceiverModel::report(Response &r, const QString &text) const {
    if (m_state.reportsEnabled) r.frames << frame(text);
}

// The receiver reports the main input in one fixed form whoever chose it, with the 6-channel
// input in the first data digit.
QString ReceiverModel::inputReport() const {
    return QStringLiteral("1021") + QLatin1Char(m_state.sixChannel ? '1' : '0') +
           hex2(m_state.mainInput).right(1);
}

Response ReceiverModel::receive(const QByteArray &bytes) {
    Response r;
    const QList<LineFrame> frames = m_decoder.feed(bytes);
    if (const qsizetype noise = m_decoder.takeDiscarded())
        r.notes << QStringLiteral("ignored %1 byte(s) of line noise").arg(noise);
    for (const LineFrame &f : frames)
        r.append(handle(f));
    return r;
}

Response ReceiverModel::handle(const LineFrame &f) {
    switch (f.kind) {
    case LineFrame::Kind::Command:
        return execute(QString::fromLatin1(f.body));
    case LineFrame::Kind::ConfigurationRequest: {
        Response r;
        if (f.body != "000") {
            r.notes << QStringLiteral("ignored configuration request with \"%1\"")
                           .arg(QString::fromLatin1(f.body.toHex(' ')));
            return r;
        }
        r.frames << configurationAnswer();
        r.notes << QStringLiteral("configuration requested");
        return r;
    }
    case LineFrame::Kind::InterfaceReset:
        if (f.body != QByteArray(3, Byte::DEL)) {
            Response r;
            r.notes << QStringLiteral("ignored reset frame with %1")
                           .arg(QString::fromLatin1(f.body.toHex(' ')));
            return r;
        }
        return reset();
    }
    return {};
}

QByteArray ReceiverModel::configurationAnswer() const {
    return Sim::configurationAnswer(m_modelId, m_state);
}

void ReceiverModel::restoreStartState() {
    m_state = m_startState;
    m_decoder.clear();
    m_displayPackets = -1;
    m_displayPending.clear();
}

Response ReceiverModel::reset() {
    restoreStartState();
    Response r;
    r.notes << QStringLiteral("interface reset: start state restored");
    r.frames << configurationAnswer();
    return r;
}

Response ReceiverModel::execute(QStringView code, Source source) {
    Response r;
    // Display text is taken as it comes; everything else is a kind digit and four hex digits.
    if (code.size() == 5 && code[0] == u'3') return displayPacket(code.sliced(1));
    const auto value = code.size() == 5 ? parseHex4(code.sliced(1)) : std::nullopt;
    if (!value || (code[0] != u'0' && code[0] != u'2')) {
        r.notes << QStringLiteral("ignored unknown command \"%1\"").arg(code);
        return r;
    }
    if (code[0] == u'2') return systemCommand(code, *value);
    if (!m_state.power && *value != PowerOn && *value != PowerOff) {
        r.notes << QStringLiteral("ignored %1 in standby").arg(code);
        return r;
    }
    return operation(*value, source);
}

Response ReceiverModel::systemCommand(QStringView code, quint16 value) {
    Response r;
    if (value == ReportsOn || value == ReportsOff) {
        m_state.reportsEnabled = value == ReportsOn;
        r.notes << QStringLiteral("reports %1").arg(onOff(m_state.reportsEnabled));
    } else if (value >= IntervalFirst && value <= IntervalLast) {
        m_state.reportInterval = value - IntervalFirst;
        r.notes << QStringLiteral("report interval %1 ms").arg(m_state.reportInterval * 50);
    } else if (value == DisplayStart) {
        m_displayPackets = 0;
        m_displayPending.clear();
        r.notes << QStringLiteral("display message started");
    } else if (value >= TestFirst && value <= TestLast) {
        r.notes << QStringLiteral("test message %1 echoed").arg(code);
    } else {
        r.notes << QStringLiteral("ignored unknown system command %1").arg(code);
    }
    return r;
}

Response ReceiverModel::displayPacket(QStringView text) {
    Response r;
    if (m_displayPackets < 0) {
        r.notes << QStringLiteral("ignored display text \"%1\" outside a message").arg(text);
        return r;
    }
    m_displayPending += text;
    if (++m_displayPackets == 4) {
        m_displayText = m_displayPending;
        m_displayPackets = -1;
        m_displayPending.clear();
        r.notes << QStringLiteral("DISPLAY: %1").arg(m_displayText);
    }
    return r;
}

Response ReceiverModel::operation(quint16 value, Source source) {
    Response r;
    ReceiverState &s = m_state;
    const QString prefix = reportPrefix(source);
    auto note = [&r](const QString &text) { r.notes << text; };

    // A volume step over RS-232C is a question as well: the receiver always answers it with the
    // new level, reports enabled or not.
    auto volumeStep = [&](int &volume, int delta, int lo, int hi, const char *cmd,
                          QString (*text)(int), const char *zone) {
        volume = std::clamp(volume + delta, lo, hi);
        const QString report = prefix + QLatin1String(cmd) + hex2(volume);
        if (source == Source::Rs232)
            r.frames << frame(report);
        else
            this->report(r, report);
        note(QStringLiteral("%1 volume %2").arg(QLatin1String(zone), text(volume)));
    };

    switch (value) {
    case PowerOn: {
        const bool wasOn = s.power;
        s.power = true;
        report(r, prefix + QStringLiteral("2001"));
        if (!wasOn) {
            // Waking up, the receiver tells what it is playing.
            report(r, inputReport());
            report(r, prefix + QStringLiteral("26") + hex2(s.mainVolume));
        }
        note(QStringLiteral("power on"));
        return r;
    }
    case PowerOff:
        s.power = false;
        s.sleep = kSleepOff;
        report(r, prefix + QStringLiteral("2000"));
        note(QStringLiteral("standby"));
        return r;
    case MainVolumeUp:
    case MainVolumeDown:
        volumeStep(s.mainVolume, value == MainVolumeUp ? 1 : -1, kMainVolumeMin, kMainVolumeMax,
                   "26", mainVolumeText, "main");
        return r;
    case Zone2VolumeUp:
    case Zone2VolumeDown:
        volumeStep(s.zone2Volume, value == Zone2VolumeUp ? 1 : -1, kZone2VolumeMin, kZone2VolumeMax,
                   "27", zone2VolumeText, "zone 2");
        return r;
    case MuteOn:
    case MuteOff:
        s.mute = value == MuteOn;
        report(r, prefix + QStringLiteral("230") + QLatin1Char(s.mute ? '1' : '0'));
        note(QStringLiteral("mute %1").arg(onOff(s.mute)));
        return r;
    case Zone2MuteOn:
    case Zone2MuteOff:
        s.zone2Mute = value == Zone2MuteOn;
        report(r, prefix + QStringLiteral("250") + QLatin1Char(s.zone2Mute ? '1' : '0'));
        note(QStringLiteral("zone 2 mute %1").arg(onOff(s.zone2Mute)));
        return r;
    case SixChannelOn:
    case SixChannelOff:
        s.sixChannel = value == SixChannelOn;
        report(r, inputReport());
        note(QStringLiteral("6-channel input %1").arg(onOff(s.sixChannel)));
        return r;
    case SpeakersAOn:
    case SpeakersAOff:
        s.speakersA = value == SpeakersAOn;
        report(r, QStringLiteral("202E0") + QLatin1Char(s.speakersA ? '1' : '0'));
        note(QStringLiteral("speakers A %1").arg(onOff(s.speakersA)));
        return r;
    case SpeakersBOn:
    case SpeakersBOff:
        s.speakersB = value == SpeakersBOn;
        report(r, QStringLiteral("202F0") + QLatin1Char(s.speakersB ? '1' : '0'));
        note(QStringLiteral("speakers B %1").arg(onOff(s.speakersB)));
        return r;
    case EsOn:
    case EsOff:
        s.es61 = value == EsOn;
        report(r, prefix + QStringLiteral("2D0") + QLatin1Char(s.es61 ? '1' : '0'));
        note(QStringLiteral("6.1/ES %1").arg(onOff(s.es61)));
        return r;
    default:
        break;
    }

    if (value >= InputModeAuto && value <= InputModeAnalog) {
        // With the 6-channel input selected there is no decoder to set a mode on.
        if (s.sixChannel) {
            note(QStringLiteral("ignored input mode: 6-channel input selected"));
            return r;
        }
        s.inputMode = value - InputModeAuto;
        report(r, prefix + QStringLiteral("22") + hex2(s.inputMode));
        note(QStringLiteral("input mode %1").arg(QLatin1String(kInputModes[s.inputMode])));
        return r;
    }
    if (value == SleepOff || (value >= Sleep120 && value <= Sleep30)) {
        s.sleep = value == SleepOff ? kSleepOff : value - Sleep120;
        report(r, prefix + QStringLiteral("2C") + hex2(s.sleep));
        note(s.sleep == kSleepOff ? QStringLiteral("sleep off")
                                  : QStringLiteral("sleep %1 min").arg(kSleepMinutes[s.sleep]));
        return r;
    }
    if (value >= MemorySaveA && value <= MemorySaveF) {
        const int bank = value - MemorySaveA;
        s.memories[bank] = s.mainVolume;
        note(QStringLiteral("volume %1 saved in memory %2")
                 .arg(mainVolumeText(s.mainVolume), bankName(bank)));
        return r;
    }
    if (value >= MemoryRecallA && value <= MemoryRecallF) {
        const int bank = value - MemoryRecallA;
        s.mainVolume = s.memories[bank];
        report(r, prefix + QStringLiteral("26") + hex2(s.mainVolume));
        note(QStringLiteral("memory %1 recalled: main volume %2")
                 .arg(bankName(bank), mainVolumeText(s.mainVolume)));
        return r;
    }
    if (value >= kDspFirstCode && value < kDspFirstCode + 32) {
        const int index = value - kDspFirstCode;
        if (index == 0) {
            s.dspEffect = false;
        } else {
            s.dspProgram = index;
            s.dspEffect = true;
        }
        report(r, prefix + QStringLiteral("28") + hex2(kDspPrograms[index].data));
        note(QStringLiteral("DSP %1").arg(QLatin1String(kDspPrograms[index].name)));
        return r;
    }
    if (const InputEntry *e = inputByMainCode(value)) {
        s.mainInput = e->digit;
        report(r, inputReport());
        note(QStringLiteral("input %1").arg(QLatin1String(e->name)));
        return r;
    }
    if (const InputEntry *e = inputByZone2Code(value)) {
        s.zone2Input = e->digit;
        report(r, QStringLiteral("20240") + hex2(e->digit).right(1));
        note(QStringLiteral("zone 2 input %1").arg(QLatin1String(e->name)));
        return r;
    }
    note(QStringLiteral("ignored unknown command 0%1").arg(hex2(value >> 8) + hex2(value)));
    return r;
}

Response ReceiverModel::pressRemoteEsKey() {
    Response r;
    if (!m_state.power) {
        r.notes << QStringLiteral("ignored 6.1/ES key in standby");
        return r;
    }
    // The receiver reports the key with data 00, and whoever reads the report takes 6.1/ES to
    // be off; the state follows so that report and configuration block agree.
    m_state.es61 = false;
    report(r, QStringLiteral("102D00"));
    r.notes << QStringLiteral("remote 6.1/ES key");
    return r;
}

Response ReceiverModel::setHeadphones(bool plugged) {
    Response r;
    m_state.headphones = plugged;
    report(r,
           reportPrefix(Source::Panel) + QStringLiteral("340") + QLatin1Char(plugged ? '1' : '0'));
    r.notes << QStringLiteral("headphones %1").arg(plugged ? "in" : "out");
    return r;
}

Response ReceiverModel::raiseWarning(int warning) {
    static const char *const names[] = {"over current", "DC", "power trouble", "over heat"};
    Response r;
    if (warning < 0 || warning > 3) {
        r.notes << QStringLiteral("no warning %1").arg(warning);
        return r;
    }
    report(r, reportPrefix(Source::Panel) + QStringLiteral("010") + QString::number(warning));
    r.notes << QStringLiteral("warning: %1").arg(QLatin1String(names[warning]));
    return r;
}

Response ReceiverModel::sendTestMessage(int n) {
    Response r;
    if (n < 0 || n > 2) {
        r.notes << QStringLiteral("no test message %1").arg(n);
        return r;
    }
    // The test goes out whether reports are enabled or not: it checks the line itself.
    r.frames << frame(QStringLiteral("2F00") + QString::number(n));
    r.notes << QStringLiteral("test message 2F00%1 sent").arg(n);
    return r;
}

QString ReceiverModel::describe() const {
    const ReceiverState &s = m_state;
    QStringList lines;
    lines << QStringLiteral("model %1 (%2), version %3")
                 .arg(m_modelId, modelName(m_modelId), modelVersion(m_modelId));
    lines << QStringLiteral("power %1").arg(s.power ? "on" : "standby");
    lines << QStringLiteral("input %1, 6-channel input %2, input mode %3")
                 .arg(inputName(s.mainInput), onOff(s.sixChannel),
                      QLatin1String(kInputModes[s.inputMode]));
    lines << QStringLiteral("main volume %1 (%2), mute %3")
                 .arg(mainVolumeText(s.mainVolume), hex2(s.mainVolume), onOff(s.mute));
    lines << QStringLiteral("zone 2 input %1, volume %2 (%3), mute %4")
                 .arg(inputName(s.zone2Input), zone2VolumeText(s.zone2Volume), hex2(s.zone2Volume),
                      onOff(s.zone2Mute));
    lines << QStringLiteral("DSP %1, effect %2, 6.1/ES %3")
                 .arg(QLatin1String(kDspPrograms[s.dspProgram].name), onOff(s.dspEffect),
                      onOff(s.es61));
    lines << QStringLiteral("speakers A %1, B %2, headphones %3")
                 .arg(onOff(s.speakersA), onOff(s.speakersB), s.headphones ? "in" : "out");
    lines << (s.sleep == kSleepOff ? QStringLiteral("sleep off")
                                   : QStringLiteral("sleep %1 min").arg(kSleepMinutes[s.sleep]));
    QStringList banks;
    for (int i = 0; i < int(s.memories.size()); ++i)
        banks << bankName(i) + QLatin1Char(' ') + mainVolumeText(s.memories[i]);
    lines << QStringLiteral("memories ") + banks.join(QStringLiteral(", "));
    lines << QStringLiteral("reports %1, interval %2 ms")
                 .arg(s.reportsEnabled ? "enabled" : "disabled")
                 .arg(s.reportInterval * 50);
    if (!m_displayText.isEmpty()) lines << QStringLiteral("display \"%1\"").arg(m_displayText);
    return lines.join(QLatin1Char('\n'));
}

} // namespace Sim
