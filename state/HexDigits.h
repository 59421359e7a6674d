// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one hexadecimal digit of a receiver text.
#pragma once

#include <QChar>

// 0..15 for "0".."9", "A".."F" and "a".."f"; -1 for any other character.
inline int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}
