// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding the configuration block, and the standby button's reading of it.
#include "FuzzInput.h"
#include "state/ConfigurationBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString block = fuzzText(data, size);
    (void)decodeConfiguration(block, false);
    (void)decodeConfiguration(block, true);
    try {
        (void)standbyAction(block);
    } catch (...) {
        // a block without a power digit is a run-time error the window shows; not a crash
    }
    return 0;
}
