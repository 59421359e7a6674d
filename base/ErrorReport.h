// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the error box and of the error-report mail.
#pragma once

#include <QString>

// The program's name as the error box's caption gives it: the executable's file name without
// its ".exe". Names without that extension (as executables elsewhere are named) stay whole,
// dots and all.
QString executableName(const QString &executablePath);

// "Error in " and the running program's executable name.
QString errBoxCaption();

// The first message line, the place: "Error in Form_ZS-Command_OK_Click:".
QString errBoxLabel1(const QString &stModulname, const QString &stProc);

// The second message line, the error: "5, Invalid procedure call", with " (Line 1012)" added
// only for a line number above 0.
QString errBoxLabel2(long lErrNr, const QString &stErrMsg, long lErrLine);

// The program's version as a report states it: "Version: 1.0.0".
QString reportVersionLine();

// The report: caption, both message lines, the version line, "Beschreibung:" and the user's
// description, joined with CR LF. Line breaks inside the description become CR LF as well,
// whatever the text box delivered, so that each reaches the mail as a line break.
QString errorReportText(const QString &caption, const QString &label1, const QString &label2,
                        const QString &versionLine, const QString &description);

// The developer's error-report address, the recipient of every report.
QString errorReportAddress();

// "mailto:" address "?subject=" encoded caption "&body=" encoded report text.
QString errorReportLink(const QString &address, const QString &caption, const QString &report);
