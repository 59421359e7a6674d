// SPDX-License-Identifier: GPL-3.0-or-later
// Version numbers and the texts built from them.
#pragma once

#include <QString>

namespace Version {
inline constexpr int Major = VELMORA_VERSION_MAJOR;
inline constexpr int Minor = VELMORA_VERSION_MINOR;
inline constexpr int Revision = VELMORA_VERSION_PATCH;
// The build date shown beside the version in the about window.
inline constexpr const char *BuildDate = "14.09.2006";

// Major, ".", minor and revision written without a separator: 1, 4, 5 give "1.45".
inline QString appVersionText(int major, int minor, int revision) {
    return QString::number(major) + QLatin1Char('.') + QString::number(minor) +
           QString::number(revision);
}
// Major "." minor "." revision, as an error report states it.
inline QString fullVersionText(int major, int minor, int revision) {
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}
} // namespace Version
