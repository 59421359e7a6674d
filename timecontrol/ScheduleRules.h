// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the schedule that need no window: the actions a line can carry, how the
// dialog's fields become a line, and which entry is due at a given clock text.
#pragma once

#include <QString>
#include <array>
#include <optional>

class clsTimeControl;

// The actions offered by the dialog, in their order: a label and a receiver command code after
// " ,", or a media-player action without a comma. "Dsp Off" carries 07EE1, the receiver's
// "effect off" code of the early models, not the code the panel sends.
inline constexpr std::array<const char *, 41> kScheduleActions = {
    "Power On ,07A1D",      "Power Off ,07A1E",     "Input Phono ,07A14",   "Input CD ,07A15",
    "Input Tuner ,07A16",   "Input Tape ,07A18",    "Input MD ,07AC9",      "Input LD ,07A17",
    "Input DVD ,07AC1",     "Input D-TV ,07A54",    "Input CBL/SAT ,07AC0", "Input VCR1 ,07A0F",
    "Input VCR2 ,07A13",    "Input VCR3 ,07AC8",    "Input V-AUX ,07A55",   "Input 6ch On ,07EA4",
    "Input 6ch Off ,07EA5", "Zone2 Phono ,07AD0",   "Zone2 CD ,07AD1",      "Zone2 Tuner ,07AD2",
    "Zone2 Tape ,07AD3",    "Zone2 MD ,07ACF",      "Zone2 LD ,07AD5",      "Zone2 DVD ,07ACD",
    "Zone2 D-TV ,07AD9",    "Zone2 Cbl/Sat ,07ACC", "Zone2 VCR1 ,07AD6",    "Zone2 VCR2 ,07AD7",
    "Zone2 VCR3 ,07ACE",    "Zone2 V-AUX ,07AD8",   "Volume A ,07E75",      "Volume B ,07E76",
    "Volume C ,07E77",      "Volume D ,07E78",      "Volume E ,07E79",      "Volume F ,07E7A",
    "Dsp Off ,07EE1",       "Dsp Normal ,07EFD",    "Dsp Enhanced ,07EFE",  "Winamp play",
    "Winamp stop"};

// The text without the blanks at either end (other white space stays).
QString trimBlanks(const QString &text);

// The dialog's fields as the add button reads them; the button writes them back corrected.
struct ScheduleFields {
    QString hour;
    QString minute;
    QString day;
    QString month;
    QString year;
    bool dated = false; // the date option rather than "Every Day"
    QString action;
};

// Corrects the fields (one character gets a "0" in front; minute above 59 becomes "00", hour
// above 23 "23", day above 31 "31", month above 12 "12"; a year of fewer than 4 characters is
// the last 4 of today) and builds the line "hh:mm ,dd.mm.yyyy ,action" or
// "hh:mm ,Every day  ,action". Nothing when the action names neither the player nor a code;
// the fields are corrected all the same.
std::optional<QString> buildScheduleLine(ScheduleFields &fields, const QString &today);

// True for an entry that fires every day: its date begins with "Every" or "Jeden", in any case.
bool isDailyEntry(const QString &stDate);

// One pass over the schedule at the clock texts today ("dd.mm.yyyy") and now ("hh:mm"), in list
// order: a fired daily entry whose minute has passed is armed again; the first armed entry
// whose date (or daily marker) and time match is due and ends the pass. Returns its position
// (from 1), or 0 when none is due.
long findDueEntry(clsTimeControl &schedule, const QString &today, const QString &now);
