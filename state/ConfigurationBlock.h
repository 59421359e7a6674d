// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of the receiver's configuration block into the state the control panel shows.
#pragma once

#include <QString>
#include <optional>

// The panel state a configuration block describes. Every field is what SetSettings applies.
struct PanelState {
    qint16 input = 0;                // Opt_Input index, 1..13
    std::optional<qint16> inputMode; // Opt_InputMode index 1..5; none for a mode digit from 6 up
    bool inputModeEnabled = true;    // false for mode digit 5: all five buttons disabled
    std::optional<qint16> dsp;       // Opt_Dsp index; none for a program number not in the table
                                     // (80, effect off in reports, included)
    bool sixChannel = false;         // Opt_6ChInput(1), else (0)
    bool es61 = false;               // Opt_61ES(1), else (0)
    bool speakersA = false;          // Opt_SpeakersA(1), else (0)
    bool speakersB = false;          // Opt_SpeakersB(1), else (0)
    bool headphones = false;         // the four speaker buttons disabled, else enabled

    bool operator==(const PanelState &) const = default;
};

// Decodes a kept block: DC2, model ID (5), software version (1), data length L (2 hexadecimal
// digits), L characters of data, ..., ETX. None for a block the window must ignore: empty, not
// opening with DC2, not closing with ETX, or L below 3.
//
// The data block is the L characters from position 10, fewer when the block is shorter (the
// closing ETX can then fall inside it and reads like any other non-digit). A field beyond its
// end reads as missing: "off", or 0 for a number. A number field reads its leading hexadecimal
// digits (either case) and is 0 when there are none, so "ZZ" for L reads 0 and is rejected.
//
// zone2Mode picks the zone-2 input digit (data position 7) instead of the main one (3).
std::optional<PanelState> decodeConfiguration(const QString &block, bool zone2Mode);

// The Opt_InputMode index of the block's mode digit: 0 Auto, 1 DD, 2 DTS, 3 Digital, 4 Analog,
// 5 Auto; none from 6 up.
std::optional<qint16> inputModeIndexForConfigurationDigit(int m);

// What the standby/on button does with a freshly read block.
enum class PowerAction { None, PowerOn, PowerOff };

// A block that opens with DC2, closes with ETX and has "0" as its 10th character switches the
// receiver: on when it is 14 characters or fewer (the short block of a receiver in standby),
// off when longer. Anything else does nothing. An empty block (no answer) gives None.
//
// The 10th character is compared as a number, and that comparison is made for every non-empty
// block, whatever its first and last characters: a 10th character that is missing or is not a
// digit 0-9 throws RuntimeError 13 (type mismatch), which the button reports in the error box.
PowerAction standbyAction(const QString &block);
