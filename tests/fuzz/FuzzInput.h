// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzzers' input as the program's text: one character per byte, as the line gives it.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

inline QString fuzzText(const uint8_t *data, size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
}
