// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration block the receiver answers DC1 "000" ETX with.
#pragma once

#include "sim/ReceiverModel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace Sim {

// Length of the data block of a receiver that is on (without the "@E01900" prefix).
inline constexpr int kDataLength = 35;
inline constexpr char kDataPrefix[] = "@E01900";

// The data block: in standby "00" (system, power); when on the full 35 characters.
QByteArray configurationData(const ReceiverState &state);
// DC2, model ID, version, length (2 hex), data, checksum (2 hex), ETX. Models that prefix their
// data put "@E01900" in front of it and count it in the length; in standby they follow it with
// "000" instead of "00".
QByteArray configurationAnswer(QStringView modelId, const ReceiverState &state);
// Sum of the characters modulo 256, as two upper-case hex digits.
QByteArray blockChecksum(QByteArrayView text);

} // namespace Sim
