// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver simulator's reading of the bytes sent to it, fed in pieces.
#include "sim/LineDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Sim::LineDecoder decoder;
    size_t at = 0;
    while (at < size) {
        const size_t piece = 1 + data[at] % 7;
        const QByteArray bytes(reinterpret_cast<const char *>(data + at),
                               qsizetype(std::min(piece, size - at)));
        for (const Sim::LineFrame &frame : decoder.feed(bytes))
            if (frame.body.size() > Sim::LineDecoder::kMaxBody) std::abort();
        at += piece;
    }
    return 0;
}
