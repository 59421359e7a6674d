// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's rules: the receiver's picture, the state topics, commands and discovery.
#include "addins/mqtt/MqttRules.h"

#include "base/RuntimeError.h"
#include "link/CommandCatalogue.h"
#include "link/Framing.h"
#include "link/KnownModels.h"
#include "state/ConfigurationBlock.h"
#include "state/HexDigits.h"
#include "state/PanelTables.h"
#include "state/ReportEvaluation.h"
#include "state/VolumeLevel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

constexpr double kVolumeMin = -80.0;
constexpr double kVolumeMax = 16.5;
constexpr double kVolumeStep = 0.5;

QString code(Cmd id) {
    return QLatin1String(commandEntry(id).code);
}

QByteArray onOff(std::optional<bool> on) {
    return on ? QByteArray(*on ? "ON" : "OFF") : QByteArray();
}

QByteArray decibels(std::optional<double> dB) {
    return dB ? QByteArray::number(*dB, 'f', 1) : QByteArray();
}

// Two hexadecimal digits of the data block from position p (from 1); none when missing.
std::optional<int> hexPair(QStringView data, int p) {
    if (data.size() < p + 1) return std::nullopt;
    const int high = hexDigitValue(data[p - 1]);
    const int low = hexDigitValue(data[p]);
    if (high < 0 || low < 0) return std::nullopt;
    return high * 16 + low;
}

std::optional<bool> flagAt(QStringView data, int p) {
    if (data.size() < p) return std::nullopt;
    if (data[p - 1] == u'1') return true;
    if (data[p - 1] == u'0') return false;
    return std::nullopt;
}

const char *inputCaption(std::optional<qint16> index) {
    const InputButton *b = index ? inputButton(*index) : nullptr;
    return b ? b->caption : nullptr;
}

const char *programCaption(std::optional<qint16> index) {
    const DspProgram *p = index ? dspProgram(*index) : nullptr;
    return p ? p->caption : nullptr;
}

std::optional<bool> onOffWord(const QString &word) {
    if (word.compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0) return true;
    if (word.compare(QLatin1String("OFF"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

CommandPlan refused(const QString &why) {
    CommandPlan plan;
    plan.error = why;
    return plan;
}

CommandPlan send(const QString &commandCode) {
    CommandPlan plan;
    plan.codes << commandCode;
    return plan;
}

QString quoted(const QString &text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

// --- ReceiverPicture ---

void ReceiverPicture::applyReport(const QString &text) {
    const ReportPlan plan = planReport(text, false);
    if (plan.volume) {
        if (const auto &v = plan.volumeReport)
            (v->zone == VolumeZone::Main ? volumeDb : zone2VolumeDb) = v->dB;
        return;
    }
    if (plan.input && !plan.inputZone2) input = plan.input;
    switch (plan.action) {
    case ReportAction::MuteOn:
    case ReportAction::MuteOff:
        mute = plan.action == ReportAction::MuteOn;
        break;
    case ReportAction::Dsp:
        soundProgram = plan.index;
        break;
    case ReportAction::PowerOn:
        power = true;
        break;
    default:
        if (text.mid(2) == QLatin1String("2000")) power = false;
        break;
    }
}

void ReceiverPicture::applySettings(const QString &settings) {
    QString block = Frame::DC2 + settings + Frame::ETX;
    try {
        block = normaliseConfigurationAnswer(block);
    } catch (const RuntimeError &) {
        return; // a length field that is not a number: nothing in it can be trusted
    }
    modelId = configurationModelId(block);
    model = modelName(modelId);
    version = configurationSoftwareVersion(block);

    const int length = block.mid(7, 2).toInt(nullptr, 16);
    const QStringView data = QStringView(block).mid(9, std::max(0, length));
    const std::optional<bool> on = flagAt(data, 2);
    if (!on) return;
    power = on;
    if (!*on) return; // a receiver in standby tells nothing more
    if (const auto m = flagAt(data, 6)) mute = m;
    if (const auto v = hexPair(data, 9)) volumeDb = mainZoneDb(*v);
    if (const auto v = hexPair(data, 11)) zone2VolumeDb = zone2Db(*v);
    if (const std::optional<PanelState> panel = decodeConfiguration(block, false)) {
        input = panel->input;
        if (panel->dsp) soundProgram = panel->dsp;
    }
}

// --- State topics ---

QList<TopicValue> stateValues(const ReceiverPicture &p) {
    using namespace MqttTopic;
    const auto text = [](const char *caption) {
        return caption ? QByteArray(caption) : QByteArray();
    };
    return {
        {Power, onOff(p.power)},
        {Volume, decibels(p.volumeDb)},
        {Zone2Volume, decibels(p.zone2VolumeDb)},
        {Mute, onOff(p.mute)},
        {Input, text(inputCaption(p.input))},
        {SoundProgram, text(programCaption(p.soundProgram))},
        {Line1, p.line1.toUtf8()},
        {Line2, p.line2.toUtf8()},
        {Model, p.model.toUtf8()},
        {Version, p.version.toUtf8()},
    };
}

QStringList commandLevels() {
    using namespace MqttTopic;
    return {Power, Volume, Mute, Input, SoundProgram, Raw};
}

// --- Commands ---

CommandPlan planCommand(const QString &level, const QByteArray &payload,
                        const ReceiverPicture &picture) {
    using namespace MqttTopic;
    if (level == QLatin1String(Raw)) {
        const QString command = QString::fromUtf8(payload);
        if (const QString refusal = commandRefusal(command); !refusal.isEmpty())
            return refused(refusal);
        return send(command);
    }
    const QString word = QString::fromUtf8(payload).trimmed();
    if (level == QLatin1String(Power)) {
        const std::optional<bool> on = onOffWord(word);
        if (!on) return refused(QStringLiteral("%1 is not ON or OFF").arg(quoted(word)));
        return send(code(*on ? Cmd::PowerOn : Cmd::PowerOff));
    }
    if (!commandLevels().contains(level))
        return refused(QStringLiteral("no such command (%1)").arg(commandLevels().join(u", ")));
    if (picture.power == false) return refused(QStringLiteral("the receiver is in standby"));

    if (level == QLatin1String(Mute)) {
        const std::optional<bool> on = onOffWord(word);
        if (!on) return refused(QStringLiteral("%1 is not ON or OFF").arg(quoted(word)));
        return send(code(*on ? Cmd::MasterVolMuteOn : Cmd::MasterVolMuteOff));
    }
    if (level == QLatin1String(Volume)) {
        if (word.compare(QLatin1String("UP"), Qt::CaseInsensitive) == 0)
            return send(code(Cmd::MasterVolUp));
        if (word.compare(QLatin1String("DOWN"), Qt::CaseInsensitive) == 0)
            return send(code(Cmd::MasterVolDown));
        bool ok = false;
        const double dB = word.toDouble(&ok);
        if (!ok || !std::isfinite(dB) || dB < kVolumeMin || dB > kVolumeMax)
            return refused(QStringLiteral("%1 is not a level from -80 to 16.5 dB, UP or DOWN")
                               .arg(quoted(word)));
        CommandPlan plan;
        plan.volumeTarget = std::round(dB / kVolumeStep) * kVolumeStep;
        return plan;
    }
    if (level == QLatin1String(Input)) {
        if (const InputButton *b = inputButtonByName(word)) return send(code(b->mainZone));
        QStringList names;
        for (const InputButton &b : kInputButtons)
            names << QLatin1String(b.caption);
        return refused(
            QStringLiteral("unknown input %1 (%2)").arg(quoted(word), names.join(u", ")));
    }
    // The sound program.
    const QString key = nameKey(word);
    for (const DspProgram &p : kDspPrograms)
        if (!key.isEmpty() && nameKey(QLatin1String(p.caption)) == key)
            return send(dspOperationCode(p.index));
    return refused(QStringLiteral("unknown sound program %1").arg(quoted(word)));
}

// --- Volume stepping ---

QString VolumeStepper::start(double target, std::optional<double> current) {
    m_target.reset();
    m_error.clear();
    m_unanswered = 0;
    m_last = current;
    if (!current) {
        m_error = QStringLiteral("the volume is not known yet");
        return {};
    }
    m_target = target;
    return stepToward(*current);
}

QString VolumeStepper::answered(double dB) {
    if (!m_target) return {};
    m_unanswered = 0;
    if (m_last && *m_last == dB && dB != *m_target) {
        // The receiver answered without moving: it is at the end of its range.
        m_error = QStringLiteral("the receiver stops at %1 dB").arg(dB, 0, 'f', 1);
        m_target.reset();
        return {};
    }
    m_last = dB;
    return stepToward(dB);
}

QString VolumeStepper::unanswered() {
    if (!m_target) return {};
    if (++m_unanswered >= MaxUnanswered) {
        m_error = QStringLiteral("the receiver did not answer %1 volume steps").arg(MaxUnanswered);
        m_target.reset();
        return {};
    }
    return stepToward(m_last.value_or(*m_target));
}

QString VolumeStepper::stepToward(double current) {
    if (current < *m_target) return code(Cmd::MasterVolUp);
    if (current > *m_target) return code(Cmd::MasterVolDown);
    m_target.reset();
    return {};
}

// --- Home Assistant discovery ---

namespace {

enum class Component { Switch, Number, Select, Sensor };

struct Entity {
    Component component;
    const char *object; // object ID, also the end of the unique ID
    const char *name;
    const char *level; // state topic below the base topic
    bool commands;     // takes commands on "<level>/set"
};

constexpr Entity kEntities[] = {
    {Component::Switch, "power", "Power", MqttTopic::Power, true},
    {Component::Switch, "mute", "Mute", MqttTopic::Mute, true},
    {Component::Number, "volume", "Volume", MqttTopic::Volume, true},
    {Component::Select, "input", "Input", MqttTopic::Input, true},
    {Component::Select, "sound_program", "Sound program", MqttTopic::SoundProgram, true},
    {Component::Sensor, "status_line1", "Status line 1", MqttTopic::Line1, false},
    {Component::Sensor, "status_line2", "Status line 2", MqttTopic::Line2, false},
};

const char *componentName(Component c) {
    switch (c) {
    case Component::Switch:
        return "switch";
    case Component::Number:
        return "number";
    case Component::Select:
        return "select";
    case Component::Sensor:
        break;
    }
    return "sensor";
}

QString configTopic(const QString &node, const Entity &e) {
    return QStringLiteral("homeassistant/%1/%2/%3/config")
        .arg(QLatin1String(componentName(e.component)), node, QLatin1String(e.object));
}

QJsonObject deviceBlock(const QString &node, const ReceiverPicture &picture) {
    QJsonObject device{{"identifiers", QJsonArray{node}},
                       {"manufacturer", "Yamaha"},
                       {"name", picture.model.isEmpty() || picture.model == QLatin1String("?")
                                    ? QStringLiteral("Yamaha receiver")
                                    : QStringLiteral("Yamaha ") + picture.model}};
    if (!picture.modelId.isEmpty())
        device[QLatin1String("model")] =
            picture.model + QStringLiteral(" (") + picture.modelId + QLatin1Char(')');
    if (!picture.version.isEmpty()) device[QLatin1String("sw_version")] = picture.version;
    return device;
}

} // namespace

QString discoveryNodeId(const QString &baseTopic) {
    QString node = baseTopic;
    for (QChar &c : node)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'_' && c != u'-') c = u'_';
    return node;
}

QList<DiscoveryConfig> discoveryConfigs(const QString &baseTopic, const ReceiverPicture &picture) {
    const QString node = discoveryNodeId(baseTopic);
    const QJsonObject device = deviceBlock(node, picture);
    QList<DiscoveryConfig> configs;
    for (const Entity &e : kEntities) {
        const QString state = baseTopic + QLatin1Char('/') + QLatin1String(e.level);
        QJsonObject config{
            {"name", e.name},
            {"unique_id", node + QLatin1Char('_') + QLatin1String(e.object)},
            {"state_topic", state},
            {"availability_topic", baseTopic + QLatin1Char('/') + MqttTopic::Availability},
            {"payload_available", kOnline},
            {"payload_not_available", kOffline},
            {"device", device},
        };
        if (e.commands) config[QLatin1String("command_topic")] = state + MqttTopic::SetSuffix;
        switch (e.component) {
        case Component::Switch:
            config[QLatin1String("payload_on")] = "ON";
            config[QLatin1String("payload_off")] = "OFF";
            config[QLatin1String("state_on")] = "ON";
            config[QLatin1String("state_off")] = "OFF";
            break;
        case Component::Number:
            config[QLatin1String("min")] = kVolumeMin;
            config[QLatin1String("max")] = kVolumeMax;
            config[QLatin1String("step")] = kVolumeStep;
            config[QLatin1String("unit_of_measurement")] = "dB";
            config[QLatin1String("mode")] = "slider";
            break;
        case Component::Select: {
            QJsonArray options;
            if (e.level == MqttTopic::Input)
                for (const InputButton &b : kInputButtons)
                    options.append(QLatin1String(b.caption));
            else
                for (const DspProgram &p : kDspPrograms)
                    options.append(QLatin1String(p.caption));
            config[QLatin1String("options")] = options;
            break;
        }
        case Component::Sensor:
            config[QLatin1String("icon")] = "mdi:text";
            break;
        }
        configs.append(
            {configTopic(node, e), QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    return configs;
}

QList<DiscoveryConfig> discoveryRemovals(const QString &baseTopic) {
    const QString node = discoveryNodeId(baseTopic);
    QList<DiscoveryConfig> removals;
    for (const Entity &e : kEntities)
        removals.append({configTopic(node, e), QByteArray()});
    return removals;
}
