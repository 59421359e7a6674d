// SPDX-License-Identifier: GPL-3.0-or-later
// Lookups in the command catalogue.
#include "link/CommandCatalogue.h"

#include "base/RuntimeError.h"

#include <QStringList>

static_assert([] {
    for (std::size_t i = 0; i < kCommandCatalogue.size(); ++i)
        if (static_cast<std::size_t>(kCommandCatalogue[i].id) != i) return false;
    return true;
}());

const CommandEntry &commandEntry(Cmd id) {
    return kCommandCatalogue[static_cast<std::size_t>(id)];
}

std::optional<CommandEntry> commandByName(const QString &name) {
    for (const CommandEntry &e : kCommandCatalogue)
        if (name == QLatin1String(e.name)) return e;
    return std::nullopt;
}

std::optional<VolumeMemoryCodes> volumeMemory(const QString &bank) {
    const QString letter = bank.toUpper();
    for (const VolumeMemoryCodes &m : kVolumeMemories)
        if (letter == QLatin1Char(m.bank)) return m;
    return std::nullopt;
}

QStringList displayMessageCodes(const QString &message) {
    const QString padded = message.leftJustified(16, QLatin1Char(' '));
    QStringList codes{QStringLiteral("21000")};
    for (int i = 0; i < 16; i += 4)
        codes << QLatin1Char('3') + padded.mid(i, 4);
    return codes;
}

Cmd reportTimeCommand(int index) {
    static constexpr Cmd commands[] = {Cmd::ReportCommandTimeRealTime, Cmd::ReportCommandTime50ms,
                                       Cmd::ReportCommandTime100ms,    Cmd::ReportCommandTime150ms,
                                       Cmd::ReportCommandTime200ms,    Cmd::ReportCommandTime250ms,
                                       Cmd::ReportCommandTime300ms,    Cmd::ReportCommandTime350ms};
    if (index < 0 || index > 7) RuntimeError::subscriptOutOfRange();
    return commands[index];
}
