#pragma once
// Properties of the web toolkit that must hold for any input: the pattern
// matcher over arbitrary pages (with the program's own patterns and with
// arbitrary ones), the code page conversions and URL encoding, URL splitting.

#include "tests/fuzz/fuzz_check.h"
#include "text/text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"
#include "web/url.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zv::fuzz {

inline bool isWellFormedUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// Text as the conversions produce it: no NUL, and no lead byte left without
// its trail byte at the end.
inline bool isWellFormedText(std::string_view s)
{
    if (s.find('\0') != std::string_view::npos)
        return false;
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) >= 0x81 && i + 1 >= s.size())
            return false;
        i += charLength(s, i);
    }
    return true;
}

inline bool startsWithIgnoringAsciiCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && findText(s.substr(0, prefix.size()), prefix, 1, true) == 1;
}

inline bool endsWithIgnoringAsciiCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && findText(s.substr(s.size() - suffix.size()), suffix, 1, true) == 1;
}

// Every match the matcher reports is a piece of the subject, and so is every
// group of the program's patterns a piece of its match (they have no
// look-arounds). Numbers out of range give empty texts. At most `limit`
// matches are looked at, so that a page with very many stays quick.
inline void checkMatches(const PatternMatcher& matcher, std::string_view subject, bool groupsInsideMatch,
                         int limit = 64)
{
    const int count = matcher.matchCount();
    require(count >= 0, "match count is not negative");
    require(matcher.matchText(0).empty() && matcher.matchText(count + 1).empty() && matcher.matchText(-1).empty(),
            "match numbers out of range give empty texts");
    // Every search after a match starts at least one character further on.
    // (Bytes, not characters of the text model: a byte that is no lead byte of
    // code page 936, such as 0xFF, is decoded on its own and its follower too.)
    require(static_cast<std::size_t>(count) <= subject.size() + 1, "no more matches than places between bytes");
    const int groups = matcher.subMatchCount();
    require(count > 0 || groups == 0, "no groups are counted without a match");
    for (int n = 1; n <= std::min(count, limit); ++n) {
        const Text match = matcher.matchText(n);
        require(subject.find(match) != std::string_view::npos, "a match is a piece of the subject");
        require(matcher.subMatchText(n, groups + 1).empty() && matcher.subMatchText(n, -1).empty(),
                "group numbers out of range give empty texts");
        for (int g = 1; g <= groups; ++g) {
            const Text group = matcher.subMatchText(n, g);
            require(subject.find(group) != std::string_view::npos, "a group is a piece of the subject");
            if (groupsInsideMatch)
                require(match.find(group) != std::string::npos, "a group is a piece of its match");
        }
    }
}

// The rank search, overview, index and import patterns over one page, read
// the way the queries read it.
inline void checkPatternsOverPage(const Text& page)
{
    PatternMatcher table;
    PatternMatcher entry;

    table.execute("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", page);
    checkMatches(table, page, true);
    for (int n = 1; n <= std::min(table.matchCount(), 32); ++n) {
        const Text block = table.matchText(n);
        require(startsWithIgnoringAsciiCase(block, "<table"), "a result block starts with its table tag");
        require(endsWithIgnoringAsciiCase(block, "</table>"), "a result block ends with its closing tag");
        const Text position = table.subMatchText(n, 1);
        require(position.find('"') == std::string::npos && position.find('\n') == std::string::npos,
                "a result position stops at the first quote on its line");
        entry.execute("<span class=.g.>.*?</span>", block);
        checkMatches(entry, block, true, 8);
        entry.execute("<span class=.g.>.*?</b>/(.*?)</span>", block);
        checkMatches(entry, block, true, 8);
    }

    const Text countPattern = utf8ToGbkString("找到相关结果数(.*?)个");
    table.execute(countPattern, page);
    checkMatches(table, page, true);
    if (table.matchCount() > 0)
        require(table.subMatchText(1, 1).find('\n') == std::string::npos, "a count never crosses a line");
    table.execute(utf8ToGbkString("<span class=.nums.*?百度为您找到相关结果(.*?)个</span>"), page);
    checkMatches(table, page, true);

    table.execute("<tr .*?id=.index[\\s\\S]*?</tr>", page);
    checkMatches(table, page, false);
    for (int n = 1; n <= std::min(table.matchCount(), 32); ++n) {
        const Text row = table.matchText(n);
        entry.execute("<span  ><em>(.*?)</em></span>", row);
        checkMatches(entry, row, true, 8);
        entry.execute("<img src=.(.*?). />", row);
        checkMatches(entry, row, true, 8);
    }

    for (const char* pattern :
         {"<meta.*?charset=.*?>", "<meta.*?keywords.*?content=(.*?)>", "<meta.*?content=(.*?)keywords.*?>"}) {
        table.execute(pattern, page);
        checkMatches(table, page, true);
    }
}

// The input is a page body: the queries read it as UTF-8, the import may
// read it as code page 936 up to its first NUL.
inline void checkPatternPages(std::string_view input)
{
    const ByteBlock body(input);
    checkPatternsOverPage(utf8ToGbk(body));
    checkPatternsOverPage(Text(body.c_str()));
}

// First byte: options; then the pattern up to the first NUL, then the
// subject. Any pattern over any subject: no crash, no hang, sound results.
inline void checkPatternEngine(std::string_view input)
{
    if (input.empty())
        return;
    const auto options = static_cast<unsigned char>(input[0]);
    input.remove_prefix(1);
    const std::size_t nul = input.find('\0');
    const Text pattern(input.substr(0, nul));
    const Text subject(nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1));

    PatternMatcher matcher;
    require(matcher.execute(pattern, subject, options & 1, options & 2), "execute always succeeds");
    require(matcher.patternText() == pattern, "the pattern is kept as given");
    checkMatches(matcher, subject, false, 16);
    const PatternMatcher copy = matcher.copy();
    require(copy.matchCount() == matcher.matchCount(), "a copy has the same matches");
    if (options & 4) {
        const Text replaced = matcher.replaceAll(subject.substr(0, 16));
        require(matcher.matchCount() > 0 || replaced == subject || replaced.empty(),
                "without matches the subject comes back unchanged");
    }
    // Running again with a pattern that finds nothing leaves no matches.
    matcher.execute("(?!)", subject);
    require(matcher.matchCount() == 0, "a new execute replaces the old matches");
}

// First byte: the two URL encoding options; the rest is the text.
inline void checkCodepage(std::string_view input)
{
    const ByteBlock block(input);

    const Text fromUtf8 = utf8ToGbk(block);
    require(isWellFormedText(fromUtf8), "utf8ToGbk gives whole characters and no NUL");
    const Text utf8 = gbkToUtf8(fromUtf8);
    require(isWellFormedUtf8(utf8), "gbkToUtf8 gives well-formed UTF-8");
    require(utf8ToGbk(utf8) == fromUtf8, "converted text survives a round trip through UTF-8");

    const Text asText(block);
    const Text upToNul(asText.c_str());
    const Text utf8OfText = gbkToUtf8(asText);
    require(isWellFormedUtf8(utf8OfText), "gbkToUtf8 of any bytes gives well-formed UTF-8");
    require(utf8OfText.find('\0') == std::string::npos, "gbkToUtf8 stops at the first NUL");

    if (input.empty())
        return;
    const auto options = static_cast<unsigned char>(input[0]);
    const Text text(asText.substr(1));
    const bool keepSafe = options & 1;
    const bool asUtf8 = options & 2;
    const Text encoded = urlEncode(text, keepSafe, asUtf8);
    const std::string expected = asUtf8 ? gbkToUtf8(text) : Text(text.c_str());
    std::string decoded;
    auto hexValue = [](char c) { return c >= 'A' ? c - 'A' + 10 : c - '0'; };
    for (std::size_t i = 0; i < encoded.size();) {
        const char c = encoded[i];
        if (c == '%') {
            require(i + 2 < encoded.size(), "a percent sign is followed by two digits");
            if (i + 2 >= encoded.size())
                return;
            const char hi = encoded[i + 1];
            const char lo = encoded[i + 2];
            auto isUpperHex = [](char d) { return (d >= '0' && d <= '9') || (d >= 'A' && d <= 'F'); };
            require(isUpperHex(hi) && isUpperHex(lo), "escapes use two upper-case hexadecimal digits");
            decoded.push_back(static_cast<char>(hexValue(hi) * 16 + hexValue(lo)));
            i += 3;
        } else {
            const bool safe = (c >= ',' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            require(keepSafe && safe, "only the safe characters stay unencoded, and only when asked");
            decoded.push_back(c);
            i += 1;
        }
    }
    require(decoded == expected, "the encoding decodes to the bytes encoded");
}

inline void checkUrl(std::string_view input)
{
    const Text url(input);
    const Text host = urlHost(url);
    const int port = urlPort(url);
    const Text path = urlPath(url);

    require(!path.empty() && path.front() == '/', "the path begins with a slash");
    require(path == "/" || (url.size() >= path.size() && url.compare(url.size() - path.size(), path.size(), path) == 0),
            "the path is the end of the address");
    require(!containsText(host, "/") && !containsText(host, ":"), "the host holds no slash and no colon");
    for (std::size_t i = 0; i < host.size(); i += charLength(host, i))
        require(charLength(host, i) == 2 || !(host[i] >= 'A' && host[i] <= 'Z'), "the host is in small letters");
    if (!containsText(url, ":"))
        require(port == 80, "an address without a colon names port 80");

    // The host on the wire: ASCII only, an ASCII host unchanged, and a
    // second conversion changes nothing.
    const Text ascii = asciiHost(host);
    const bool wasAscii
        = std::all_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    require(std::all_of(ascii.begin(), ascii.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }),
            "the host on the wire is ASCII");
    if (wasAscii)
        require(ascii == host, "an ASCII host goes out as it is");
    else
        require(asciiHost(ascii) == ascii, "the ASCII form converts to itself");
}

} // namespace zv::fuzz
