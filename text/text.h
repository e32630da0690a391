#pragma once
// The shared Text type: code page 936 (GBK) bytes. ASCII characters take one
// byte; every other character is a lead byte >= 0x81 followed by a trail byte.
// Every operation here walks whole characters, so a trail byte that happens to
// equal an ASCII character ("|", "\\", "_", "@", letters) is never matched or
// split on. Text positions count from 1; 0 means "not found".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

using Text = std::string;

// A counted block of bytes that may hold NUL bytes (a response body, a file).
using ByteBlock = std::string;

// Length in bytes of the character starting at s[i] (1 or 2; 1 for a lone lead
// byte at the very end).
std::size_t charLength(std::string_view s, std::size_t i);

// Position (from 1) of the first occurrence of needle in hay that starts on a
// character boundary at or after position start; 0 when there is none or the
// needle is empty. ignoreAsciiCase folds A-Z/a-z only.
std::size_t findText(std::string_view hay, std::string_view needle, std::size_t start = 1,
                     bool ignoreAsciiCase = false);

bool containsText(std::string_view hay, std::string_view needle, bool ignoreAsciiCase = false);

// Every non-overlapping occurrence of from, left to right, replaced by to.
Text replaceAll(std::string_view s, std::string_view from, std::string_view to);

// Cuts s at every occurrence of sep. Each separator ends a piece, even an empty
// one; the rest after the last separator is a piece only when it is not empty.
// An empty s gives no pieces.
std::vector<Text> splitText(std::string_view s, std::string_view sep);

// Removes ASCII spaces and full-width spaces (0xA1 0xA1) at both ends.
Text trimBlanks(std::string_view s);

// Skips leading blanks, takes an optional sign and the decimal digits that
// follow (full-width digits 0xA3 0xB0..0xB9 count); no digits give 0. Values
// past the range of int are clamped.
int leadingInteger(std::string_view s);

// Byte-wise folding of the letters A-Z / a-z, for ASCII and UTF-8 texts such
// as protocol names, header names and statement words. Bytes from 0x80 up are
// left alone, so UTF-8 text keeps its characters.
std::string lowerAscii(std::string_view s);
std::string upperAscii(std::string_view s);

// Boundary conversions (ICU "windows-936"). Characters code page 936 lacks
// become "?"; malformed input never fails, it is replaced.
std::string gbkToUtf8String(std::string_view gbk);
Text utf8ToGbkString(std::string_view utf8);

} // namespace zv
