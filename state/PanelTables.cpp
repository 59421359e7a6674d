// SPDX-License-Identifier: GPL-3.0-or-later
// Lookups in the control panel's button tables.
#include "state/PanelTables.h"

#include "base/RuntimeError.h"

// The lookups below index the tables by position; these keep the rows where the index says.
static_assert([] {
    for (std::size_t i = 0; i < kInputButtons.size(); ++i)
        if (kInputButtons[i].index != qint16(i + 1)) return false;
    for (std::size_t i = 0; i < kDspPrograms.size(); ++i)
        if (kDspPrograms[i].index != qint16(i)) return false;
    for (std::size_t i = 0; i < kInputModeButtons.size(); ++i)
        if (kInputModeButtons[i].index != qint16(i + 1)) return false;
    qint16 next = 0;
    for (const DspGroup &g : kDspGroups) {
        if (g.first != next || g.last < g.first) return false;
        next = qint16(g.last + 1);
    }
    return next == qint16(kDspPrograms.size());
}());

const InputButton *inputButton(int index) {
    if (index < 1 || index > int(kInputButtons.size())) return nullptr;
    return &kInputButtons[std::size_t(index - 1)];
}

QString nameKey(const QString &name) {
    QString key;
    for (const QChar c : name)
        if (c.isLetterOrNumber()) key += c.toUpper();
    return key;
}

const InputButton *inputButtonByName(const QString &name) {
    const QString key = nameKey(name);
    for (const InputButton &b : kInputButtons)
        if (!key.isEmpty() && nameKey(QLatin1String(b.caption)) == key) return &b;
    return nullptr;
}

std::optional<qint16> inputIndexForReportCharacter(QChar c) {
    if (c.isNull()) return std::nullopt;
    for (const InputButton &b : kInputButtons)
        if (b.reportCharacter != '\0' && c == QLatin1Char(b.reportCharacter)) return b.index;
    return std::nullopt;
}

qint16 inputIndexForConfigurationDigit(int v) {
    return v <= 5 ? qint16(13 - v) : qint16(v - 5);
}

const DspProgram *dspProgram(int index) {
    if (index < 0 || index >= int(kDspPrograms.size())) return nullptr;
    return &kDspPrograms[std::size_t(index)];
}

std::optional<qint16> dspIndexForValue(int value) {
    for (const DspProgram &p : kDspPrograms)
        if (p.value == value) return p.index;
    return std::nullopt;
}

QString dspOperationCode(int index) {
    if (!dspProgram(index)) RuntimeError::subscriptOutOfRange();
    return QLatin1Char('0') + QString::number(0x7EE0 + index, 16).toUpper();
}

const InputModeButton *inputModeButton(int index) {
    if (index < 1 || index > int(kInputModeButtons.size())) return nullptr;
    return &kInputModeButtons[std::size_t(index - 1)];
}

std::optional<Cmd> onOffCommand(const OnOffGroup &group, int index) {
    if (index == 0) return group.off;
    if (index == 1) return group.on;
    return std::nullopt;
}
