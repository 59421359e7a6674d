// SPDX-License-Identifier: GPL-3.0-or-later
// Volume arithmetic: the receiver's volume data in dB, the level text, the bar and the report.
#pragma once

#include <QChar>
#include <QString>
#include <optional>

// Main zone: 0.5 dB steps, data 199 (C7) is 0 dB.
double mainZoneDb(int v);
// Zone 2: 1 dB steps, data 80 (50) is 0 dB.
double zone2Db(int v);

// The dB value as its shortest decimal text, always with a point whatever the user's locale;
// a text of exactly three characters gets ".0" ("-40" -> "-40.0", while "-5", "10" and "0"
// stay as they are). The rule counts characters only, so the positive half steps 0.5 to 9.5
// come out as "0.5.0" to "9.5.0"; levelValue still reads them as 0.5 to 9.5.
QString levelText(double dB);

// A level text read back as a number: its leading decimal number ("-40.0" -> -40,
// "7.5.0" -> 7.5), 0 when it does not start with one.
double levelValue(const QString &levelText);

// The number of bar blocks for a level: 20 + dB / 5 rounded to the nearest integer, halves to
// the even one, from levelValue of the level text.
int barLength(const QString &levelText);

// The status font's character 127 is a solid block; this is the same glyph in Unicode.
inline constexpr QChar kVolumeBarBlock{u'\u2588'};

// n blocks, then "-" up to 20 characters in all (none when n is 20 or more; a negative n draws
// no block). No bar is longer than kVolumeBarLongest blocks, whatever n says.
inline constexpr int kVolumeBarLongest = 100;
QString volumeBar(int n);

enum class VolumeZone { Main, Zone2 };

// A decoded volume report, with the texts of both status lines.
struct VolumeReport {
    VolumeZone zone;
    int value;     // the report data, 0..255
    double dB;     // equals levelValue(level)
    QString level; // level text
    QString line1; // "VOLUME <level>dB" or "ZONE2 VOL. <level>dB"
    QString line2; // the bar
};

// Decodes a volume report as it stands between STX and ETX: two prefix characters, command
// "26" (main zone) or "27" (zone 2) at positions 3-4 and the data as two hexadecimal digits at
// 5-6. Only those positions are read. None when positions 3-4 are another command or positions
// 5-6 are not two hexadecimal digits (either case): such a report changes nothing on the window.
std::optional<VolumeReport> decodeVolumeText(const QString &text);
// The same for a received frame that starts with STX, so an answer that carries more after its
// first frame still shows the first.
std::optional<VolumeReport> decodeVolumeReport(const QString &frame);

// Width of the mini window's volume bar for data v in a picture box of the given width; the
// scale ends at data 210, so louder levels draw past the box.
double miniBarWidth(int v, int width);
