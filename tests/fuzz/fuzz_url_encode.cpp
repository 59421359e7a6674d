// SPDX-License-Identifier: GPL-3.0-or-later
// The error report's URL encoding of any text, as UTF-8 input.
#include "base/UrlEncode.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)URLEncode(text);
    return 0;
}
