// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding volume reports and the level text and bar made from them.
#include "FuzzInput.h"
#include "state/VolumeLevel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString frame = fuzzText(data, size);
    if (const auto report = decodeVolumeReport(frame)) (void)report;
    const QString level = frame.left(16);
    (void)levelValue(level);
    (void)volumeBar(barLength(level));
    return 0;
}
