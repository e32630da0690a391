#include "text/text.h"

#include "text/unicode.h"

#include <algorithm>
#include <climits>

namespace zv {

namespace {

bool isLeadByte(unsigned char c)
{
    return c >= 0x81;
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether needle occurs in hay at byte position pos (a character boundary),
// comparing whole characters so that a lone lead byte at the end of the needle
// never matches the first half of a character.
bool matchesAt(std::string_view hay, std::size_t pos, std::string_view needle, bool ignoreAsciiCase)
{
    if (hay.size() - pos < needle.size())
        return false;
    std::size_t i = 0;
    while (i < needle.size()) {
        const std::size_t len = charLength(needle, i);
        if (charLength(hay, pos + i) != len)
            return false;
        if (len == 1) {
            const char a = hay[pos + i];
            const char b = needle[i];
            if (ignoreAsciiCase ? foldAscii(a) != foldAscii(b) : a != b)
                return false;
        } else if (hay.compare(pos + i, len, needle, i, len) != 0) {
            return false;
        }
        i += len;
    }
    return true;
}

// Byte position of the first occurrence at a character boundary at or after
// byte position from; npos when none.
std::size_t findBytePos(std::string_view hay, std::string_view needle, std::size_t from, bool ignoreAsciiCase)
{
    if (needle.empty())
        return std::string_view::npos;
    if (!ignoreAsciiCase) {
        // Candidates from a plain byte search; the first one where a character
        // starts and whole characters match is the answer.
        std::size_t boundary = 0;
        for (std::size_t candidate = hay.find(needle, from); candidate != std::string_view::npos;
             candidate = hay.find(needle, candidate + 1)) {
            while (boundary < candidate)
                boundary += charLength(hay, boundary);
            if (boundary == candidate && matchesAt(hay, candidate, needle, false))
                return candidate;
        }
        return std::string_view::npos;
    }
    for (std::size_t pos = 0; pos < hay.size(); pos += charLength(hay, pos)) {
        if (pos >= from && matchesAt(hay, pos, needle, ignoreAsciiCase))
            return pos;
    }
    return std::string_view::npos;
}

bool isFullWidthBlank(std::string_view s, std::size_t i)
{
    return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 && static_cast<unsigned char>(s[i + 1]) == 0xA1;
}

} // namespace

std::size_t charLength(std::string_view s, std::size_t i)
{
    if (i >= s.size())
        return 1;
    return (isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

std::size_t findText(std::string_view hay, std::string_view needle, std::size_t start, bool ignoreAsciiCase)
{
    const std::size_t from = start == 0 ? 0 : start - 1;
    const std::size_t pos = findBytePos(hay, needle, from, ignoreAsciiCase);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

bool containsText(std::string_view hay, std::string_view needle, bool ignoreAsciiCase)
{
    return findText(hay, needle, 1, ignoreAsciiCase) != 0;
}

Text replaceAll(std::string_view s, std::string_view from, std::string_view to)
{
    if (from.empty())
        return Text(s);
    Text out;
    out.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (matchesAt(s, pos, from, false)) {
            out.append(to);
            pos += from.size();
        } else {
            const std::size_t len = charLength(s, pos);
            out.append(s.substr(pos, len));
            pos += len;
        }
    }
    return out;
}

std::vector<Text> splitText(std::string_view s, std::string_view sep)
{
    std::vector<Text> pieces;
    if (s.empty())
        return pieces;
    if (sep.empty()) {
        pieces.emplace_back(s);
        return pieces;
    }
    std::size_t pieceStart = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (matchesAt(s, pos, sep, false)) {
            pieces.emplace_back(s.substr(pieceStart, pos - pieceStart));
            pos += sep.size();
            pieceStart = pos;
        } else {
            pos += charLength(s, pos);
        }
    }
    if (pieceStart < s.size())
        pieces.emplace_back(s.substr(pieceStart));
    return pieces;
}

Text trimBlanks(std::string_view s)
{
    std::size_t begin = 0;
    while (begin < s.size()) {
        if (s[begin] == ' ')
            begin += 1;
        else if (isFullWidthBlank(s, begin))
            begin += 2;
        else
            break;
    }
    // Walk forward so that the end of a two-byte character is never mistaken
    // for a blank.
    std::size_t end = begin;
    std::size_t pos = begin;
    while (pos < s.size()) {
        const std::size_t len = charLength(s, pos);
        const bool blank = s[pos] == ' ' || isFullWidthBlank(s, pos);
        pos += len;
        if (!blank)
            end = pos;
    }
    return Text(s.substr(begin, end - begin));
}

int leadingInteger(std::string_view s)
{
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (s[pos] == ' ')
            pos += 1;
        else if (isFullWidthBlank(s, pos))
            pos += 2;
        else
            break;
    }
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    while (pos < s.size()) {
        int digit;
        if (s[pos] >= '0' && s[pos] <= '9') {
            digit = s[pos] - '0';
            pos += 1;
        } else if (pos + 1 < s.size() && static_cast<unsigned char>(s[pos]) == 0xA3
                   && static_cast<unsigned char>(s[pos + 1]) >= 0xB0
                   && static_cast<unsigned char>(s[pos + 1]) <= 0xB9) {
            digit = static_cast<unsigned char>(s[pos + 1]) - 0xB0;
            pos += 2;
        } else {
            break;
        }
        // Keep consuming digits but stop growing once past the clamp.
        if (value <= limit)
            value = value * 10 + digit;
    }
    if (value > limit)
        value = limit;
    return static_cast<int>(negative ? -value : value);
}

namespace {

// ASCII text reads the same in both encodings, and most text crossing the
// boundary (numbers, dates, hex pictures, addresses) is ASCII.
bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

} // namespace

std::string gbkToUtf8String(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    return utf16ToUtf8(gbkToUtf16(gbk));
}

Text utf8ToGbkString(std::string_view utf8)
{
    if (isAscii(utf8))
        return Text(utf8);
    return utf16ToGbk(utf8ToUtf16(utf8));
}

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

} // namespace zv
