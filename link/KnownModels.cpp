// SPDX-License-Identifier: GPL-3.0-or-later
// Model table and configuration-answer helpers.
#include "link/KnownModels.h"

#include "base/RuntimeError.h"

QString modelName(const QString &modelId) {
    for (const KnownModel &m : kKnownModels)
        if (modelId == QLatin1String(m.id)) return QString::fromLatin1(m.name);
    return QStringLiteral("?");
}

QString normaliseConfigurationAnswer(const QString &answer) {
    if (answer.mid(9, 7) != QLatin1String("@E01900")) return answer;
    bool ok = false;
    const int length = answer.mid(7, 2).toInt(&ok, 16);
    if (!ok)
        throw RuntimeError(ErrNr::TypeMismatch, RuntimeError::standardText(ErrNr::TypeMismatch));
    QString normalised = answer;
    normalised.remove(9, 7);
    // Negative results cannot come from a receiver that sent the seven characters it counts;
    // write them as the 32-bit pattern the length arithmetic gives.
    const quint32 shorter = static_cast<quint32>(length - 7);
    normalised.replace(7, 2, QString::number(shorter, 16).toUpper());
    return normalised;
}

QString configurationForAddIns(const QString &answer) {
    if (answer.size() < 2) return QString();
    return answer.mid(1, answer.size() - 2);
}

QString configurationModelId(const QString &answer) {
    return answer.mid(1, 5);
}

QString configurationSoftwareVersion(const QString &answer) {
    return answer.mid(6, 1);
}
