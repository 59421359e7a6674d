// SPDX-License-Identifier: GPL-3.0-or-later
// Schedule script files: one schedule line per text line, each ended by CR LF, in the system's
// 8-bit code page (Latin-1 on Linux and other Unix systems, the ANSI code page on Windows).
#pragma once

#include <QByteArray>
#include <QStringList>

// The bytes of a script holding these lines; an empty list gives an empty file.
QByteArray scriptBytes(const QStringList &lines);
// The lines of a script, whatever they hold. A line ends at CR LF, or at a CR or LF alone
// (scripts edited elsewhere); a last line without its end still counts.
QStringList scriptLines(const QByteArray &bytes);
