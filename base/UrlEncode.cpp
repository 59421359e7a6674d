// SPDX-License-Identifier: GPL-3.0-or-later
// URL encoding for the report mail link.
#include "base/UrlEncode.h"

#include <array>

namespace {
// Windows-1252 differs from Latin-1 only in 0x80-0x9F. Five of those codes are unassigned and
// map back to the C1 control of the same number, as the platform's own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

// The code page's stand-in for a character it cannot represent.
constexpr unsigned char kUnrepresentable = '?';

// First code that the final pass encodes: "{" and everything above it.
constexpr unsigned kFirstEncodedCode = 123;

struct Replacement {
    const char16_t *found;
    const char16_t *replacement;
};

// The order matters: "%" goes first so that the escapes added later are not encoded again,
// and CR LF before a lone CR.
constexpr std::array<Replacement, 10> kReplacements = {{
    {u"%", u"%25"},
    {u" ", u"%20"},
    {u"&", u"%26"},
    {u"!", u"%21"},
    {u"#", u"%23"},
    {u"*", u"%2A"},
    {u"/", u"%2F"},
    {u"?", u"%3F"},
    {u"\r\n", u"%0A"},
    {u"\r", u"%0D"},
}};

QString percentCode(unsigned char code) {
    return QStringLiteral("%%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}
} // namespace

std::optional<unsigned char> windows1252Code(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

QString URLEncode(const QString &text) {
    QString s = text;
    for (const Replacement &r : kReplacements)
        s.replace(QString::fromUtf16(r.found), QString::fromUtf16(r.replacement));

    // Every escape added here consists of characters below 123, so walking backwards never
    // meets one of its own insertions.
    qsizetype i = s.size();
    while (i > 0) {
        qsizetype start = i - 1;
        char32_t codePoint = s.at(start).unicode();
        if (s.at(start).isLowSurrogate() && start > 0 && s.at(start - 1).isHighSurrogate()) {
            --start;
            codePoint = QChar::surrogateToUcs4(s.at(start), s.at(start + 1));
        }
        const unsigned char code = windows1252Code(codePoint).value_or(kUnrepresentable);
        if (code == kUnrepresentable && codePoint != kUnrepresentable)
            s.replace(start, i - start, percentCode(kUnrepresentable));
        else if (code >= kFirstEncodedCode)
            s.replace(start, i - start, percentCode(code));
        i = start;
    }
    return s;
}
