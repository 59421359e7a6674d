// SPDX-License-Identifier: GPL-3.0-or-later
// Error box and report texts.
#include "base/ErrorReport.h"

#include "base/UrlEncode.h"
#include "base/Version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

QString executableName(const QString &executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}

QString errBoxCaption() {
    return QStringLiteral("Error in ") + executableName(QCoreApplication::applicationFilePath());
}

QString errBoxLabel1(const QString &stModulname, const QString &stProc) {
    return QStringLiteral("Error in ") + stModulname + QLatin1Char('-') + stProc + QLatin1Char(':');
}

QString errBoxLabel2(long lErrNr, const QString &stErrMsg, long lErrLine) {
    QString text = QString::number(lErrNr) + QStringLiteral(", ") + stErrMsg;
    if (lErrLine > 0) text += QStringLiteral(" (Line ") + QString::number(lErrLine) + u')';
    return text;
}

QString reportVersionLine() {
    return QStringLiteral("Version: ") +
           Version::fullVersionText(Version::Major, Version::Minor, Version::Revision);
}

QString errorReportText(const QString &caption, const QString &label1, const QString &label2,
                        const QString &versionLine, const QString &description) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString body = description;
    body.replace(lineBreak, kCrLf);
    return QStringList{caption, label1, label2, versionLine, QStringLiteral("Beschreibung:"), body}
        .join(kCrLf);
}

QString errorReportAddress() {
    return QStringLiteral(VELMORA_REPORT_ADDRESS);
}

QString errorReportLink(const QString &address, const QString &caption, const QString &report) {
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=") + URLEncode(caption) +
           QStringLiteral("&body=") + URLEncode(report);
}
