// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver's fixed tables: models, inputs with their operation codes, DSP programs.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace Sim {

// A model the simulator can be: what it answers in the configuration block.
struct ModelEntry {
    const char *id;
    const char *name;
    char version;
    // These receivers put "@E01900" in front of the data of their configuration block.
    bool prefixed;
};

inline constexpr ModelEntry kModels[] = {
    {"R0073", "DSP-AX1", 'C', false}, {"R0088", "RX-V1000", 'B', false},
    {"R0112", "RX-V3200", 'A', true}, {"R0114", "RX-Z1", 'A', true},
    {"R0132", "RX-V2300", 'B', true}, {"R0133", "RX-V3300", 'A', true},
    {"R0161", "RX-V2400", 'A', true}, {"A0032", "DSP-AZ1", 'A', false},
    {"A0035", "DSP-AZ2", 'B', false}, {"A0037", "DSP-AZ9", 'A', false},
};

inline constexpr const char *kDefaultModel = "R0073";

// Name, software version and block prefix of a model ID. An ID the table does not hold is
// still a receiver: it answers with version "A", no prefix, and the name "?".
QString modelName(QStringView id);
QChar modelVersion(QStringView id);
bool modelSendsPrefix(QStringView id);

// One input source. `digit` is what the receiver reports and puts in its configuration block
// for it; CD-R has no digit of its own in the reports, so the simulator uses "D" for it.
struct InputEntry {
    const char *name;
    int digit;
    quint16 mainCode;  // operation code selecting it for the main zone
    quint16 zone2Code; // operation code selecting it for zone 2
};

inline constexpr InputEntry kInputs[] = {
    {"PHONO", 0x0, 0x7A14, 0x7AD0},   {"CD", 0x1, 0x7A15, 0x7AD1},
    {"TUNER", 0x2, 0x7A16, 0x7AD2},   {"TAPE", 0x3, 0x7A18, 0x7AD3},
    {"MD", 0x4, 0x7AC9, 0x7ACF},      {"DVD", 0x5, 0x7AC1, 0x7ACD},
    {"LD", 0x6, 0x7A17, 0x7AD5},      {"D-TV", 0x7, 0x7A54, 0x7AD9},
    {"CBL/SAT", 0x8, 0x7AC0, 0x7ACC}, {"VCR 1", 0x9, 0x7A0F, 0x7AD6},
    {"VCR 2", 0xA, 0x7A13, 0x7AD7},   {"VCR 3", 0xB, 0x7AC8, 0x7ACE},
    {"V-AUX", 0xC, 0x7A55, 0x7AD8},   {"CD-R", 0xD, 0x7A19, 0x7AD4},
};

const InputEntry *inputByDigit(int digit);
const InputEntry *inputByMainCode(quint16 code);
const InputEntry *inputByZone2Code(quint16 code);
// Accepts the name in any case, with or without blanks, dashes and slashes ("vcr1", "CBL/SAT",
// "cdr").
const InputEntry *inputByName(QStringView name);

// DSP programs by their index 0..31 (operation code 07EE0 + index). The index-0 entry is
// "effect off"; its data 0x80 is only ever reported, never stored in the block.
struct DspEntry {
    int data;
    const char *name;
};

inline constexpr DspEntry kDspPrograms[32] = {
    {0x80, "Effect Off"},      {0x00, "Hall A"},       {0x01, "Hall B"},
    {0x02, "Hall C"},          {0x04, "Hall D"},       {0x05, "Hall E"},
    {0x06, "Live Concert"},    {0x08, "Tokyo"},        {0x09, "Freiburg"},
    {0x0A, "Royaumont"},       {0x0C, "Village Gate"}, {0x0D, "VillageVanguard"},
    {0x0E, "The Bottom Line"}, {0x10, "Roxy Theatre"}, {0x11, "Warehouse Loft"},
    {0x12, "Arena"},           {0x14, "Disco"},        {0x15, "Party"},
    {0x16, "Game/Amusement"},  {0x18, "Pop/Rock"},     {0x19, "DJ"},
    {0x1C, "Classical/Opera"}, {0x1D, "Pavilion"},     {0x20, "Mono Movie"},
    {0x21, "Variety/Sports"},  {0x24, "Spectacle"},    {0x25, "Sci-Fi"},
    {0x28, "Adventure"},       {0x29, "General"},      {0x2C, "Normal"},
    {0x2D, "Enhanced"},        {0x17, "8 Ch Stereo"},
};

inline constexpr quint16 kDspFirstCode = 0x7EE0;

// Input modes by their digit in the block and in the "22" report.
inline constexpr const char *kInputModes[] = {"Auto", "DD", "DTS", "Digital", "Analog"};
// The block's input-mode digit while the 6-channel input is selected: no mode applies.
inline constexpr int kInputModeSixChannel = 5;

// Sleep timer by its report data: 0 120 min, 1 90, 2 60, 3 30, 4 off.
inline constexpr int kSleepMinutes[] = {120, 90, 60, 30, 0};
inline constexpr int kSleepOff = 4;
std::optional<int> sleepDataForMinutes(int minutes);

// Volume in the receiver's data units and the limits its knob stops at.
inline constexpr int kMainVolumeMin = 0x27;  // -80 dB
inline constexpr int kMainVolumeMax = 0xE8;  // +16.5 dB
inline constexpr int kZone2VolumeMin = 0x28; // -40 dB
inline constexpr int kZone2VolumeMax = 0x5A; // +10 dB
QString mainVolumeText(int data);            // "-40.5 dB"
QString zone2VolumeText(int data);           // "-10 dB"

} // namespace Sim
