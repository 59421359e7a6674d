// SPDX-License-Identifier: GPL-3.0-or-later
// The receivers this program knows, and the reading of their configuration answer.
#pragma once

#include <QString>
#include <array>

struct KnownModel {
    const char *id;
    const char *name;
};

inline constexpr std::array<KnownModel, 10> kKnownModels = {{
    {"R0073", "DSP-AX1"},
    {"R0088", "RX-V1000"},
    {"R0112", "RX-V3200"},
    {"R0114", "RX-Z1"},
    {"R0132", "RX-V2300"},
    {"R0133", "RX-V3300"},
    {"R0161", "RX-V2400"},
    {"A0032", "DSP-AZ1"},
    {"A0035", "DSP-AZ2"},
    {"A0037", "DSP-AZ9"},
}};

// The model name of a model ID, or "?" for an ID the program does not know.
QString modelName(const QString &modelId);

// Some receivers put "@E01900" in front of their data block. Removes it (characters 10 to 16
// of the answer) and lowers the length field (characters 8-9) by 7, written back in upper-case
// hexadecimal without leading zeros, so that every reader finds the same layout. Any other
// answer is returned unchanged. A length field that is not hexadecimal raises error 13.
QString normaliseConfigurationAnswer(const QString &answer);

// What the add-ins are told of a configuration answer: the answer without its first and last
// character ("" for an answer shorter than two characters).
QString configurationForAddIns(const QString &answer);

// Fields of a configuration answer (counted from 1): the model ID at 2-6, the software version
// at 7, and the text between the first and the last character.
QString configurationModelId(const QString &answer);
QString configurationSoftwareVersion(const QString &answer);
