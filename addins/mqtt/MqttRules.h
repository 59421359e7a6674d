// SPDX-License-Identifier: GPL-3.0-or-later
// What the MQTT add-in publishes and what it does with a command, without a broker: the
// receiver's state as the add-in pictures it from the host object's events, the retained state
// topics, the reading of command payloads, the volume stepping and the Home Assistant discovery
// payloads.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The receiver as its reports and its configuration block describe it; a value stays unknown
// until the receiver tells it.
struct ReceiverPicture {
    std::optional<bool> power;
    std::optional<bool> mute; // main zone
    std::optional<double> volumeDb;
    std::optional<double> zone2VolumeDb;
    std::optional<qint16> input;        // index into kInputButtons (main zone)
    std::optional<qint16> soundProgram; // index into kDspPrograms
    QString line1;
    QString line2;
    QString modelId; // after identification
    QString model;
    QString version;

    // One message between STX and ETX, as the ReceivedCommand event gives it.
    void applyReport(const QString &text);
    // The configuration answer without its first and last character (ReceivedSettings), with
    // or without the "@E01900" some receivers put in front of the data block.
    void applySettings(const QString &settings);
};

// Topic levels below the base topic.
namespace MqttTopic {
inline constexpr char Availability[] = "availability";
inline constexpr char Power[] = "power";
inline constexpr char Volume[] = "volume";
inline constexpr char Zone2Volume[] = "zone2/volume";
inline constexpr char Mute[] = "mute";
inline constexpr char Input[] = "input";
inline constexpr char SoundProgram[] = "sound_program";
inline constexpr char Line1[] = "status/line1";
inline constexpr char Line2[] = "status/line2";
inline constexpr char Model[] = "model";
inline constexpr char Version[] = "version";
inline constexpr char Report[] = "report"; // not retained: every message the receiver sends
inline constexpr char Error[] = "error";   // not retained: why a command was not carried out
inline constexpr char Raw[] = "raw";       // command only: a command code as it is
inline constexpr char SetSuffix[] = "/set";
} // namespace MqttTopic

inline constexpr char kOnline[] = "online";
inline constexpr char kOffline[] = "offline";

// A retained state topic (below the base topic) and its payload; an empty payload clears a
// value the receiver has not told (yet).
struct TopicValue {
    QString topic;
    QByteArray payload;
    bool operator==(const TopicValue &) const = default;
};
QList<TopicValue> stateValues(const ReceiverPicture &picture);

// The levels whose "<level>/set" topic takes commands.
QStringList commandLevels();

// What a command asks for: the codes to send in order, or a volume to step toward, or why it
// cannot be carried out (then nothing is sent).
struct CommandPlan {
    QStringList codes;
    std::optional<double> volumeTarget;
    QString error;
};
// A payload on "<level>/set": power and mute take ON or OFF, volume a level in dB (-80 to
// 16.5, taken to the nearest half step) or UP or DOWN, input and sound_program a name as the
// window shows it (in any case, spaces and signs ignored), raw a command code under the host
// object's rules for SendCommand. Words are read in any case with blanks around them ignored;
// the raw code is taken exactly as it came.
CommandPlan planCommand(const QString &level, const QByteArray &payload,
                        const ReceiverPicture &picture);

// The volume set by value through the receiver's own up and down commands: one step per answer,
// giving up after three steps without an answer or when the receiver stops moving.
class VolumeStepper {
public:
    static constexpr int MaxUnanswered = 3;

    // The first code toward target; "" when the volume is there already. error() says why
    // nothing starts (the volume is not known yet).
    QString start(double target, std::optional<double> current);
    // A main-zone volume report: the next code, "" when done or given up.
    QString answered(double dB);
    // No answer in time: the step again, "" when given up.
    QString unanswered();
    bool active() const { return m_target.has_value(); }
    // Why the last run ended without reaching its target; "" otherwise.
    QString error() const { return m_error; }

private:
    QString stepToward(double current);
    std::optional<double> m_target;
    std::optional<double> m_last;
    int m_unanswered = 0;
    QString m_error;
};

// Home Assistant's discovery: one config topic and its JSON payload per entity.
struct DiscoveryConfig {
    QString topic;
    QByteArray payload;
};
// The node ID (the base topic with every character that is not a letter, digit, "_" or "-"
// turned into "_") that names the device and starts every unique ID.
QString discoveryNodeId(const QString &baseTopic);
// The entities of the receiver under "homeassistant/<component>/<node>/<object>/config": power
// and mute switches, the volume number, input and sound program selects, the status lines as
// sensors; the device block carries the model and software version once they are known.
QList<DiscoveryConfig> discoveryConfigs(const QString &baseTopic, const ReceiverPicture &picture);
// The same topics with empty payloads: Home Assistant removes the entities.
QList<DiscoveryConfig> discoveryRemovals(const QString &baseTopic);
// Home Assistant says it started on this topic ("online"); the configs are sent again then.
inline constexpr char kDiscoveryStatusTopic[] = "homeassistant/status";
