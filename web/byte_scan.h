#pragma once
// Byte scans shared by the page reader and the code page conversions: the cut
// at a text's first NUL byte, and the end of a run of ASCII bytes found a word
// at a time (the reader copies such runs whole; the page form moves both its
// positions across them at once).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zv {

inline std::string_view upToNul(std::string_view s)
{
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// The end of the run of ASCII bytes that starts at i.
inline std::size_t asciiRunEnd(const unsigned char* s, std::size_t i, std::size_t n)
{
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        if (word & 0x8080808080808080u)
            break;
        i += 8;
    }
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

} // namespace zv
