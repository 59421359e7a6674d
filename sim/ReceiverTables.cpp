// SPDX-License-Identifier: GPL-3.0-or-later
// Look-ups into the receiver's fixed tables.
#include "sim/ReceiverTables.h"

#include "state/PanelTables.h"

#include <algorithm>
#include <iterator>

namespace Sim {

namespace {
const ModelEntry *findModel(QStringView id) {
    const auto it = std::find_if(std::begin(kModels), std::end(kModels),
                                 [id](const ModelEntry &m) { return id == QLatin1String(m.id); });
    return it == std::end(kModels) ? nullptr : it;
}

template <typename Pred>
const InputEntry *findInput(Pred pred) {
    const auto it = std::find_if(std::begin(kInputs), std::end(kInputs), pred);
    return it == std::end(kInputs) ? nullptr : it;
}

QString decibelText(double db) {
    return QString::number(db, 'f', db == int(db) ? 0 : 1) + QStringLiteral(" dB");
}
} // namespace

QString modelName(QStringView id) {
    const ModelEntry *m = findModel(id);
    return m ? QString::fromLatin1(m->name) : QStringLiteral("?");
}

QChar modelVersion(QStringView id) {
    const ModelEntry *m = findModel(id);
    return QLatin1Char(m ? m->version : 'A');
}

bool modelSendsPrefix(QStringView id) {
    const ModelEntry *m = findModel(id);
    return m && m->prefixed;
}

const InputEntry *inputByDigit(int digit) {
    return findInput([digit](const InputEntry &e) { return e.digit == digit; });
}

const InputEntry *inputByMainCode(quint16 code) {
    return findInput([code](const InputEntry &e) { return e.mainCode == code; });
}

const InputEntry *inputByZone2Code(quint16 code) {
    return findInput([code](const InputEntry &e) { return e.zone2Code == code; });
}

const InputEntry *inputByName(QStringView name) {
    const QString key = nameKey(name.toString());
    if (key.isEmpty()) return nullptr;
    return findInput(
        [&key](const InputEntry &e) { return nameKey(QString::fromLatin1(e.name)) == key; });
}

std::optional<int> sleepDataForMinutes(int minutes) {
    for (int data = 0; data < int(std::size(kSleepMinutes)); ++data)
        if (kSleepMinutes[data] == minutes) return data;
    return std::nullopt;
}

QString mainVolumeText(int data) {
    return decibelText((data - 199) / 2.0);
}

QString zone2VolumeText(int data) {
    return decibelText(data - 80);
}

} // namespace Sim
