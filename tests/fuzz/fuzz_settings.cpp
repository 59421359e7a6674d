// SPDX-License-Identifier: GPL-3.0-or-later
// Values read back from the settings store, whatever a user or another program left there.
#include "FuzzInput.h"
#include "base/ConfigValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::optional<QString> value = fuzzText(data, size);
    (void)configNumber(*value);
    (void)storedIndex(value);
    (void)storedMainMode(value);
    (void)storedSwitch(value);
    (void)storedShellCommand(value);
    (void)configKeyFromName(*value);
    return 0;
}
