// SPDX-License-Identifier: GPL-3.0-or-later
// The one reader of lenient numbers.
#include "base/LenientNumber.h"

#include <limits>

long lenientNumber(QStringView text, NumberBlanks blanks) {
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
            ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long number = 0;
    constexpr long long top = std::numeric_limits<long>::max();
    for (;; ++i) {
        if (blanks == NumberBlanks::Anywhere) skipBlanks();
        if (i >= text.size() || text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9')) break;
        // Held at the largest number rather than overflowing on a long row of digits.
        const int digit = text[i].unicode() - '0';
        number = number > (top - digit) / 10 ? top : number * 10 + digit;
    }
    return static_cast<long>(negative ? -number : number);
}
