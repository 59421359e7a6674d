// SPDX-License-Identifier: GPL-3.0-or-later
// Planning what a report does to the window, in both zone modes.
#include "FuzzInput.h"
#include "state/ReportEvaluation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = fuzzText(data, size);
    (void)planReport(text, false);
    (void)planReport(text, true);
    return 0;
}
