// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: read as one text and searched for its options.
#pragma once

#include <QString>
#include <QStringView>

// What the command line asks for, in the order the main window's load applies it.
struct CommandLineOptions {
    bool help = false;       // "-?", "/?", "--H", "-H", "/H": show the option summary and end
    int powerOn = 0;         // 1 with "-P": switch the receiver on when connecting by "-C"
    bool connect = false;    // "-C" followed by a port number: connect at start
    long port = 0;           // the number after "-C"; 0 (no digits) becomes 1
    bool topLeft = false;    // "-TL"
    bool topRight = false;   // "-TR"
    bool bottomLeft = false; // "-BL"
    bool mini = false;       // "-M"
};

// The option summary shown for the help options.
inline constexpr const char *CommandLineHelpText =
    "Options:: -Cx = Connect to Com x ; -M = Mini ; -TL = Mini Position TopLeft ; -TR = Mini "
    "Position TopRight ; -BL = Mini Position BottomLeft ; -P Power On by Connect";

// Looks every option up in the upper-cased line; an option counts wherever it stands.
CommandLineOptions evaluateCommandLine(const QString &commandLine);

// A lenient number: blanks are skipped, an optional sign and the decimal digits that follow
// are read, reading stops at the first other character; no digits give 0.
long leadingNumber(QStringView text);

// The program's command line as one text (the arguments joined by blanks).
QString Command();
void setCommand(const QString &commandLine);
