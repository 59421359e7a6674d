// SPDX-License-Identifier: GPL-3.0-or-later
// The command line, as any text the user or a shortcut may pass.
#include "FuzzInput.h"
#include "base/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString line = fuzzText(data, size);
    (void)evaluateCommandLine(line);
    (void)leadingNumber(line);
    return 0;
}
