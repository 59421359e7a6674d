// SPDX-License-Identifier: GPL-3.0-or-later
// Volume data to dB, level text and bar, and the decoding of a volume report frame.
#include "state/VolumeLevel.h"

#include "state/HexDigits.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kBarWidth = 20;

// Nearest integer, halves to the even one, independent of the floating-point environment.
int roundHalfToEven(double x) {
    // A level text from outside can name any number; the bar is held to what an int holds.
    if (std::isnan(x)) return 0;
    x = std::clamp(x, std::numeric_limits<int>::min() + 1.0, std::numeric_limits<int>::max() - 1.0);
    const double lower = std::floor(x);
    const double fraction = x - lower;
    double r = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) r = lower + 1.0;
    return int(r);
}

} // namespace

double mainZoneDb(int v) {
    return (v - 199) / 2.0;
}

double zone2Db(int v) {
    return v - 80;
}

QString levelText(double dB) {
    if (dB == 0.0) dB = 0.0; // no "-0"
    QString text = QString::number(dB, 'f', QLocale::FloatingPointShortest);
    if (text.size() == 3) text += QLatin1String(".0");
    return text;
}

double levelValue(const QString &levelText) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const QRegularExpressionMatch m = number.match(levelText);
    return m.hasMatch() ? m.captured().toDouble() : 0.0;
}

int barLength(const QString &levelText) {
    return roundHalfToEven(kBarWidth + levelValue(levelText) / 5.0);
}

QString volumeBar(int n) {
    const int blocks = std::clamp(n, 0, kVolumeBarLongest);
    QString bar(blocks, kVolumeBarBlock);
    if (blocks < kBarWidth) bar += QString(kBarWidth - blocks, QLatin1Char('-'));
    return bar;
}

std::optional<VolumeReport> decodeVolumeReport(const QString &frame) {
    return decodeVolumeText(frame.mid(1));
}

std::optional<VolumeReport> decodeVolumeText(const QString &text) {
    if (text.size() < 6) return std::nullopt;
    const QStringView command = QStringView(text).mid(2, 2);
    VolumeZone zone;
    if (command == u"26")
        zone = VolumeZone::Main;
    else if (command == u"27")
        zone = VolumeZone::Zone2;
    else
        return std::nullopt;
    const int high = hexDigitValue(text[4]), low = hexDigitValue(text[5]);
    if (high < 0 || low < 0) return std::nullopt;

    VolumeReport r;
    r.zone = zone;
    r.value = high * 16 + low;
    r.dB = zone == VolumeZone::Main ? mainZoneDb(r.value) : zone2Db(r.value);
    r.level = levelText(r.dB);
    r.line1 = (zone == VolumeZone::Main ? QLatin1String("VOLUME ") : QLatin1String("ZONE2 VOL. ")) +
              r.level + QLatin1String("dB");
    r.line2 = volumeBar(barLength(r.level));
    return r;
}

double miniBarWidth(int v, int width) {
    return double(v) * width / 210.0;
}
