// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation of the command line.
#include "base/CommandLine.h"

#include <limits>

namespace {
QString &commandText() {
    static QString text;
    return text;
}
} // namespace

long leadingNumber(QStringView text) {
    long long value = 0;
    bool negative = false;
    bool signSeen = false;
    bool digitSeen = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) continue;
        if (!digitSeen && !signSeen && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            signSeen = true;
            negative = c == QLatin1Char('-');
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        digitSeen = true;
        // Held at the largest number rather than overflowing on a long row of digits.
        constexpr long long top = std::numeric_limits<long>::max();
        const int digit = c.unicode() - '0';
        value = value > (top - digit) / 10 ? top : value * 10 + digit;
    }
    return static_cast<long>(negative ? -value : value);
}

CommandLineOptions evaluateCommandLine(const QString &commandLine) {
    CommandLineOptions o;
    const QString upper = commandLine.toUpper();
    const auto has = [&](const char *option) { return upper.contains(QLatin1String(option)); };

    o.help = has("-?") || has("/?") || has("--H") || has("-H") || has("/H");
    o.powerOn = has("-P") ? 1 : 0;
    const qsizetype c = upper.indexOf(QLatin1String("-C"));
    if (c >= 0) {
        o.connect = true;
        o.port = leadingNumber(QStringView(upper).mid(c + 2, 2));
        if (o.port == 0) o.port = 1;
    }
    o.topLeft = has("-TL");
    o.topRight = has("-TR");
    o.bottomLeft = has("-BL");
    o.mini = has("-M");
    return o;
}

QString Command() {
    return commandText();
}

void setCommand(const QString &commandLine) {
    commandText() = commandLine;
}
