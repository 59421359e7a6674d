// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation of the command line.
#include "base/CommandLine.h"

#include "base/LenientNumber.h"

namespace {
QString &commandText() {
    static QString text;
    return text;
}
} // namespace

long leadingNumber(QStringView text) {
    return lenientNumber(text, NumberBlanks::Anywhere);
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
