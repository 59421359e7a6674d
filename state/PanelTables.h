// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel's button tables: inputs, DSP programs, input modes and the on/off groups.
#pragma once

#include "link/CommandCatalogue.h"

#include <QChar>
#include <QString>
#include <array>
#include <optional>

// --- Inputs (Opt_Input 1..14) ---

// One input button: its caption, the last character of the input report that names it ('\0'
// when the receiver never reports it) and the commands for the main zone and for zone 2.
struct InputButton {
    qint16 index;
    const char *caption;
    char reportCharacter;
    Cmd mainZone;
    Cmd zone2;
};

inline constexpr std::array<InputButton, 14> kInputButtons = {{
    {1, "LD", '6', Cmd::InputLd, Cmd::Zone2InputLd},
    {2, "D-TV", '7', Cmd::InputDTv, Cmd::Zone2InputDTv},
    {3, "CBL/SAT", '8', Cmd::InputCblSat, Cmd::Zone2InputCblSat},
    {4, "VCR 1", '9', Cmd::InputVcr1, Cmd::Zone2InputVcr1},
    {5, "VCR 2", 'A', Cmd::InputVcr2, Cmd::Zone2InputVcr2},
    {6, "VCR 3", 'B', Cmd::InputVcr3, Cmd::Zone2InputVcr3},
    {7, "V-AUX", 'C', Cmd::InputVAux, Cmd::Zone2InputVAux},
    {8, "DVD", '5', Cmd::InputDvd, Cmd::Zone2InputDvd},
    {9, "MD", '4', Cmd::InputMd, Cmd::Zone2InputMd},
    {10, "TAPE", '3', Cmd::InputTape, Cmd::Zone2InputTape},
    {11, "TUNER", '2', Cmd::InputTuner, Cmd::Zone2InputTuner},
    {12, "CD", '1', Cmd::InputCd, Cmd::Zone2InputCd},
    {13, "PHONO", '0', Cmd::InputPhono, Cmd::Zone2InputPhono},
    {14, "CD-R", '\0', Cmd::InputCDR, Cmd::Zone2InputCDR},
}};

// The button of an index; nullptr outside 1..14.
const InputButton *inputButton(int index);
// A name as a user may type it, by its letters and digits in upper case: "VCR 1", "Vcr1" and
// "vcr-1" are one name. Inputs and sound programs are looked up by it wherever they are named.
QString nameKey(const QString &name);
// The button an input name names by its key ("cbl/sat", "VCR1"); nullptr for none.
const InputButton *inputButtonByName(const QString &name);
// The button index that an input report's last character names ("0".."9", "A".."C", upper case
// only, as the receiver sends them); none for any other character.
std::optional<qint16> inputIndexForReportCharacter(QChar c);
// The button index of an input digit of the configuration block: 13 - v for 0..5, v - 5 from 6
// up. Every hexadecimal digit lands on 1..13; CD-R is never named.
qint16 inputIndexForConfigurationDigit(int v);

// --- DSP programs (Opt_Dsp 0..31) ---

// One DSP button: the program number the receiver uses in its reports and configuration block,
// the button's caption and the group text that status line 1 shows for it (nullptr: line 1 is
// left as it is, which is the case for 8 Ch Stereo).
struct DspProgram {
    qint16 index;
    quint8 value;
    const char *caption;
    const char *lineText;
};

inline constexpr std::array<DspProgram, 32> kDspPrograms = {{
    {0, 0x80, "Effect Off", "EFFECT OFF"},
    {1, 0x00, "Hall A", "CONCERT HALL 1"},
    {2, 0x01, "Hall B", "CONCERT HALL 1"},
    {3, 0x02, "Hall C", "CONCERT HALL 1"},
    {4, 0x04, "Hall D", "CONCERT HALL 2"},
    {5, 0x05, "Hall E", "CONCERT HALL 2"},
    {6, 0x06, "Live Concert", "CONCERT HALL 2"},
    {7, 0x08, "Tokyo", "CHURCH"},
    {8, 0x09, "Freiburg", "CHURCH"},
    {9, 0x0A, "Royaumont", "CHURCH"},
    {10, 0x0C, "Village Gate", "JAZZ CLUB"},
    {11, 0x0D, "VillageVanguard", "JAZZ CLUB"},
    {12, 0x0E, "The Bottom Line", "JAZZ CLUB"},
    {13, 0x10, "Roxy Theatre", "ROCK CONCERT"},
    {14, 0x11, "Warehouse Loft", "ROCK CONCERT"},
    {15, 0x12, "Arena", "ROCK CONCERT"},
    {16, 0x14, "Disco", "ENTERTAINMENT"},
    {17, 0x15, "Party", "ENTERTAINMENT"},
    {18, 0x16, "Game/Amusement", "ENTERTAINMENT"},
    {19, 0x18, "Pop/Rock", "CONCERT VIDEO 1"},
    {20, 0x19, "DJ", "CONCERT VIDEO 1"},
    {21, 0x1C, "Classical/Opera", "CONCERT VIDEO 2"},
    {22, 0x1D, "Pavilion", "CONCERT VIDEO 2"},
    {23, 0x20, "Mono Movie", "TV THEATER"},
    {24, 0x21, "Variety/Sports", "TV THEATER"},
    {25, 0x24, "Spectacle", "MOVIE THEATER 1"},
    {26, 0x25, "Sci-Fi", "MOVIE THEATER 1"},
    {27, 0x28, "Adventure", "MOVIE THEATER 2"},
    {28, 0x29, "General", "MOVIE THEATER 2"},
    {29, 0x2C, "Normal", "DD/DTS SUR."},
    {30, 0x2D, "Enhanced", "DD/DTS SUR."},
    // Its program number sits between Game/Amusement and Pop/Rock while its button comes last:
    // reports and blocks are looked up by number, never by position.
    {31, 0x17, "8 Ch Stereo", nullptr},
}};

// The labels the DSP buttons stand under: label 0 is Label_Effect, 1..12 are Label_Prog1..12.
// first..last are the button indexes under the label; 8 Ch Stereo stands under the last one.
struct DspGroup {
    qint16 label;
    const char *caption;
    qint16 first;
    qint16 last;
};

inline constexpr std::array<DspGroup, 13> kDspGroups = {{
    {0, "Effect Off", 0, 0},
    {1, "Concert Hall 1", 1, 3},
    {2, "Concert Hall 2", 4, 6},
    {3, "Church", 7, 9},
    {4, "Jazz Club", 10, 12},
    {5, "Rock Concert", 13, 15},
    {6, "Entertainment", 16, 18},
    {7, "Concert Video 1", 19, 20},
    {8, "Concert Video 2", 21, 22},
    {9, "Tv Theater", 23, 24},
    {10, "Movie Theater 1", 25, 26},
    {11, "Movie Theater 2", 27, 28},
    {12, "DD/DTS SUR.", 29, 31},
}};

// The program of a button index; nullptr outside 0..31.
const DspProgram *dspProgram(int index);
// The button index of a program number (report data of command "28", or the configuration
// block's DSP field); none for a number the table does not hold.
std::optional<qint16> dspIndexForValue(int value);
// The operation code a DSP button sends: "0" and the upper-case hexadecimal digits of
// 0x7EE0 + index ("07EE0" .. "07EFF"). Error 9 for an index outside 0..31.
QString dspOperationCode(int index);

// --- Input mode (Opt_InputMode 1..5) ---

struct InputModeButton {
    qint16 index;
    const char *caption;
    Cmd command;
};

inline constexpr std::array<InputModeButton, 5> kInputModeButtons = {{
    {1, "Auto", Cmd::InputModeAuto},
    {2, "Digital", Cmd::InputModeDigital},
    {3, "Analog", Cmd::InputModeAnalog},
    {4, "DD", Cmd::InputModeDD},
    {5, "DTS", Cmd::InputModeDTS},
}};

// The button of an index; nullptr outside 1..5 (index 0 of the group has no button).
const InputModeButton *inputModeButton(int index);

// --- The two-button groups: index 0 "Off", index 1 "On" ---

struct OnOffGroup {
    const char *frameCaption;
    Cmd off;
    Cmd on;
};

inline constexpr OnOffGroup kSpeakersA{"Speakers A", Cmd::SpeakersAOff, Cmd::SpeakersAOn};
inline constexpr OnOffGroup kSpeakersB{"Speakers B", Cmd::SpeakersBOff, Cmd::SpeakersBOn};
inline constexpr OnOffGroup kEs61{"6.1/ES", Cmd::Dsp61ESOff, Cmd::Dsp61ESOn};
inline constexpr OnOffGroup kSixChannelInput{"6 Ch. Input", Cmd::Input6ChOff, Cmd::Input6ChOn};

inline constexpr std::array<const char *, 2> kOnOffCaptions = {"Off", "On"};

// The command of button 0 or 1 of a group; none for any other index.
std::optional<Cmd> onOffCommand(const OnOffGroup &group, int index);
