// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers read the lenient way, as the command line and the settings file have them.
#pragma once

#include <QStringView>

// Where blanks (spaces and tabs) may stand in a lenient number.
enum class NumberBlanks {
    Leading,  // before the number only: "4 2" is 4
    Anywhere, // also between the sign and the digits and among the digits: "- 4 2" is -42
};

// Blanks are skipped where `blanks` allows them, an optional sign and the decimal digits that
// follow are read, reading stops at the first other character; no digits give 0. A number
// beyond the range of long is held at the largest (or, with "-", the smallest but one).
long lenientNumber(QStringView text, NumberBlanks blanks);
