// SPDX-License-Identifier: GPL-3.0-or-later
// The URL encoding of the error-report mail link, and the Western code page it counts in.
#pragma once

#include <QString>
#include <optional>

// The character's code in the Western 8-bit code page (Windows-1252), or nothing when the
// code page cannot represent it.
std::optional<unsigned char> windows1252Code(char32_t codePoint);

// Encodes a text for the subject and body of a "mailto:" link the way the report mail always
// has: first a fixed list of replacements in a fixed order ("%", blank, "&", "!", "#", "*",
// "/", "?", CR LF as "%0A", a lone CR as "%0D"), then every character whose Western code is
// 123 or higher as "%" and two upper-case hex digits of that code. Everything else, a lone LF
// included, stays as it is.
//
// A character the Western code page cannot represent is sent as the code page would send it,
// as "?", and that "?" is encoded like any other: "%3F". One such character is one "%3F", also
// when it lies outside the Basic Multilingual Plane.
QString URLEncode(const QString &text);
