// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting received text into messages, and the poll's joining of reads across ticks: the input
// is split at its NUL bytes into successive reads.
#include "FuzzInput.h"
#include "link/Framing.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString all = fuzzText(data, size);
    (void)splitMessages(all);
    ReportTail tail;
    qint64 ms = 0;
    for (const QString &read : all.split(QChar(0))) {
        ms += read.size() * 37; // reads at varying distances, some a second apart
        const QString text = tail.join(read, ms);
        for (const QString &message : splitMessages(text))
            if (message.contains(Frame::ETX)) std::abort(); // a message never spans an ETX
        if (tail.tail().size() > ReportTail::MaxLength) std::abort();
    }
    return 0;
}
