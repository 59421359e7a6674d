// SPDX-License-Identifier: GPL-3.0-or-later
// Classification of one report text: each step compares a fixed slice of the text with the rows.
#include "state/ReportEvaluation.h"

#include "state/PanelTables.h"

namespace {

// Slices by position counted from 1; a text too short for a slice yields the part it has, so a
// short or long text simply matches no row whose slice differs.
QString slice(const QString &text, int from, int length = -1) {
    return text.mid(from - 1, length);
}

std::optional<QString> lineText(const char *text) {
    if (!text) return std::nullopt;
    return QString::fromLatin1(text);
}

StatusLines lines(const char *line1, const char *line2) {
    return {lineText(line1), lineText(line2)};
}

bool isUpperHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// The DSP rows are the report command "28" followed by the program number written as the
// receiver writes it: two upper-case hexadecimal digits.
std::optional<qint16> dspRow(const QString &commandAndData) {
    if (commandAndData.size() != 4 || !commandAndData.startsWith(QLatin1String("28")))
        return std::nullopt;
    if (!isUpperHexDigit(commandAndData[2]) || !isUpperHexDigit(commandAndData[3]))
        return std::nullopt;
    return dspIndexForValue(commandAndData.mid(2).toInt(nullptr, 16));
}

} // namespace

ReportPlan planReport(const QString &text, bool zone2Mode) {
    ReportPlan plan;

    // Step 1: volume. Main volume at data 00 is recognised whatever the prefix; every other
    // volume report only with "0" as the second prefix character.
    const QString secondPrefixAndCommand = slice(text, 2, 3);
    if (slice(text, 3) == QLatin1String("2600") || secondPrefixAndCommand == QLatin1String("026") ||
        secondPrefixAndCommand == QLatin1String("027")) {
        plan.volume = true;
        plan.volumeReport = decodeVolumeText(text);
        return plan;
    }

    // Step 3: the whole text.
    for (const WholeTextRow &row : kWholeTextRows) {
        if (text == QLatin1String(row.text)) {
            plan.key = row.key;
            plan.keyLines = lines(row.line1, row.line2);
            break;
        }
    }

    // Step 4: input of the main zone, or of zone 2 while the window works on zone 2.
    const QString head = slice(text, 1, 4);
    const bool zone2Head = head == QLatin1String("2024");
    if (head == QLatin1String("1021") || (zone2Head && zone2Mode)) {
        if (const auto index =
                inputIndexForReportCharacter(text.isEmpty() ? QChar() : text.back())) {
            plan.input = index;
            plan.inputZone2 = zone2Head;
        }
    }

    // Step 5: command and data.
    const QString commandAndData = slice(text, 3);
    bool matched = false;
    for (const StateRow &row : kStateRows) {
        if (commandAndData == QLatin1String(row.commandAndData)) {
            plan.action = row.action;
            plan.index = row.index;
            plan.lines = lines(row.line1, row.line2);
            matched = true;
            break;
        }
    }
    if (!matched) {
        if (const auto dsp = dspRow(commandAndData)) {
            plan.action = ReportAction::Dsp;
            plan.index = *dsp;
        }
    }

    // Step 6: 6-channel input.
    const QString commandAndDigit = slice(text, 3, 3);
    for (const SixChannelRow &row : kSixChannelRows) {
        if (commandAndDigit == QLatin1String(row.commandAndDigit)) {
            plan.sixChannel = row.state;
            plan.sixChannelLines = lines(row.line1, row.line2);
            break;
        }
    }
    return plan;
}
