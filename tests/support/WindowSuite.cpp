// SPDX-License-Identifier: GPL-3.0-or-later
// The base of the window suites.
#include "support/WindowSuite.h"

QString WindowSuite::receiverInput(bool zone2) const {
    const Sim::ReceiverState &s = sim->model().state();
    const Sim::InputEntry *input = Sim::inputByDigit(zone2 ? s.zone2Input : s.mainInput);
    return input ? QString::fromLatin1(input->name) : QStringLiteral("?");
}
