// SPDX-License-Identifier: GPL-3.0-or-later
// What one report from the receiver asks of the main window, decided from the report tables.
#pragma once

#include "state/VolumeLevel.h"

#include <QString>
#include <array>
#include <optional>

// Rows that match the whole report text.
enum class ReportKey {
    None,
    Key61ES,      // the remote's 6.1/ES key: the PC actions of the Extras menu
    SpeakersAOff, // Opt_SpeakersA(0)
    SpeakersAOn,  // Opt_SpeakersA(1)
    SpeakersBOff, // Opt_SpeakersB(0)
    SpeakersBOn,  // Opt_SpeakersB(1)
    Rs232Test,    // send the same text back as a command frame
};

// Rows that match the report's command and data (the text from its third character on).
enum class ReportAction {
    None,
    Es61Off,      // Opt_61ES(0)
    Es61On,       // Opt_61ES(1)
    MuteOff,      // Menu_Volume_Mute unchecked, then the Winamp resume
    MuteOn,       // Menu_Volume_Mute checked, then the Winamp pause
    Zone2MuteOff, // Menu_Volume_MuteZone2 unchecked
    Zone2MuteOn,  // Menu_Volume_MuteZone2 checked
    Dsp,          // SetDSPButton(index, 0)
    InputMode,    // Opt_InputMode(index), the current input shown, line 2 = mode text, Pause(0.5)
    Lines,        // only the status lines (warnings, sleep timer, power off)
    HeadphoneOff, // the four speaker buttons enabled
    HeadphoneOn,  // the four speaker buttons disabled
    PowerOn,      // the lines, unless the Winamp entry of the 6.1/ES key turns it into a skip
};

// The 6-channel input state carried by the command and first data digit.
enum class SixChannel {
    None,
    Off, // Opt_6ChInput(0); DSP, input-mode and 6.1/ES buttons enabled
    On,  // Opt_6ChInput(1); those buttons disabled
};

// Texts for the two status lines; a line without a value is left as it is.
struct StatusLines {
    std::optional<QString> line1;
    std::optional<QString> line2;
};

// Everything one report asks for, in the order the window applies it: the volume hand-over
// (alone, nothing else), then the whole-text row, the input, the command-and-data row and the
// 6-channel state. One report can act in several steps ("102D00" is the 6.1/ES key and also
// 6.1/ES off; "102105" is DVD and also 6-channel input off).
struct ReportPlan {
    // A volume report: show it and do nothing else; volumeReport is the report decoded, none
    // when its data are not two hexadecimal digits (nothing is shown then).
    bool volume = false;
    std::optional<VolumeReport> volumeReport;

    ReportKey key = ReportKey::None;
    StatusLines keyLines; // written after the key's own action ("RS232 TEST" for the test)

    // The input button to select and show (SetInputButton(input, 0, inputZone2)).
    std::optional<qint16> input;
    bool inputZone2 = false;

    ReportAction action = ReportAction::None;
    // DSP button index for Dsp, input-mode button index for InputMode, button index 0/1 for
    // Es61Off/Es61On; 0 otherwise.
    qint16 index = 0;
    // For InputMode only line 2 (the mode text), written after the input is shown.
    StatusLines lines;

    SixChannel sixChannel = SixChannel::None;
    StatusLines sixChannelLines;
};

// Classifies one report text (the characters between STX and ETX). zone2Mode is the check mark
// of Menu_Mode_Zone2: only then does a zone-2 input report ("2024") select an input button.
ReportPlan planReport(const QString &text, bool zone2Mode);

// --- The tables behind planReport ---

struct WholeTextRow {
    const char *text;
    ReportKey key;
    const char *line1; // nullptr: line left alone
    const char *line2;
};

inline constexpr std::array<WholeTextRow, 9> kWholeTextRows = {{
    {"102D00", ReportKey::Key61ES, nullptr, nullptr},
    {"112D00", ReportKey::Key61ES, nullptr, nullptr},
    {"202E00", ReportKey::SpeakersAOff, nullptr, nullptr},
    {"202E01", ReportKey::SpeakersAOn, nullptr, nullptr},
    {"202F00", ReportKey::SpeakersBOff, nullptr, nullptr},
    {"202F01", ReportKey::SpeakersBOn, nullptr, nullptr},
    {"2F000", ReportKey::Rs232Test, "RS232 TEST", ""},
    {"2F001", ReportKey::Rs232Test, "RS232 TEST", ""},
    {"2F002", ReportKey::Rs232Test, "RS232 TEST", ""},
}};

// Command-and-data rows. The DSP rows (command "28") come from kDspPrograms instead.
struct StateRow {
    const char *commandAndData;
    ReportAction action;
    qint16 index;
    const char *line1; // nullptr: line left alone
    const char *line2;
};

inline constexpr std::array<StateRow, 24> kStateRows = {{
    {"2D00", ReportAction::Es61Off, 0, nullptr, nullptr},
    {"2D01", ReportAction::Es61On, 1, nullptr, nullptr},
    {"2300", ReportAction::MuteOff, 0, "MUTE OFF", ""},
    {"2301", ReportAction::MuteOn, 0, "MUTE ON", ""},
    {"2500", ReportAction::Zone2MuteOff, 0, "ZONE2 MUTE OFF", ""},
    {"2501", ReportAction::Zone2MuteOn, 0, "ZONE2 MUTE ON", ""},
    // The receiver's mode numbers do not follow the button order.
    {"2200", ReportAction::InputMode, 1, nullptr, "AUTO"},
    {"2201", ReportAction::InputMode, 4, nullptr, "D.D. RF"},
    {"2202", ReportAction::InputMode, 5, nullptr, "DTS"},
    {"2203", ReportAction::InputMode, 2, nullptr, "DIGITAL"},
    {"2204", ReportAction::InputMode, 3, nullptr, "ANALOG"},
    {"0100", ReportAction::Lines, 0, "Warning", "Over Current"},
    {"0101", ReportAction::Lines, 0, "Warning", "DC"},
    {"0102", ReportAction::Lines, 0, "Warning", "Power trouble"},
    {"0103", ReportAction::Lines, 0, "Warning", "Over Heat"},
    {"3400", ReportAction::HeadphoneOff, 0, "Head Phone", "OFF"},
    {"3401", ReportAction::HeadphoneOn, 0, "Head Phone", "ON"},
    {"2C04", ReportAction::Lines, 0, "SLEEP OFF", ""},
    {"2C03", ReportAction::Lines, 0, "SLEEP 30min.", ""},
    {"2C02", ReportAction::Lines, 0, "SLEEP 60min.", ""},
    {"2C01", ReportAction::Lines, 0, "SLEEP 90min.", ""},
    {"2C00", ReportAction::Lines, 0, "SLEEP 120min.", ""},
    {"2000", ReportAction::Lines, 0, "POWER OFF", ""},
    {"2001", ReportAction::PowerOn, 0, "POWER ON", ""},
}};

// The 6-channel rows, matched on the command and the first data digit: with the second digit
// free, every main-zone input report ("1021" then "0" and the input digit) is also a
// 6-channel-off report and re-enables the controls.
struct SixChannelRow {
    const char *commandAndDigit;
    SixChannel state;
    const char *line1; // nullptr: line left alone
    const char *line2;
};

inline constexpr std::array<SixChannelRow, 2> kSixChannelRows = {{
    {"210", SixChannel::Off, nullptr, nullptr},
    {"211", SixChannel::On, "", "6CH INPUT"},
}};
