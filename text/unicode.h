#pragma once
// Unicode forms of Text, for the web toolkit's conversions and the pattern
// engine. ICU stays inside the text library; callers see only standard types.

#include "text/text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// Decodes code page 936 bytes; malformed bytes become U+FFFD and decoding goes
// on. With sourceOffsets, it also receives, per UTF-16 unit, the byte position
// in gbk where that unit's character starts.
std::u16string gbkToUtf16(std::string_view gbk, std::vector<std::uint32_t>* sourceOffsets = nullptr);

// Encodes into code page 936; characters it lacks (and lone surrogates) become "?".
Text utf16ToGbk(std::u16string_view utf16);

// Decodes UTF-8; malformed sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);

// Encodes UTF-16 as UTF-8; lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// GBK text as UTF-8, plus for every UTF-8 byte position (and the end) the
// position in gbk of the character it belongs to. Lets a match found in the
// UTF-8 form be cut out of the original bytes.
std::string gbkToUtf8Mapped(std::string_view gbk, std::vector<std::uint32_t>& gbkPositions);

// Joins each base character and the combining marks after it into the
// precomposed character where one exists (canonical composition of those
// runs only); text without combining marks is returned unchanged, so
// compatibility ideographs and other singletons keep their own code points.
std::u16string composeCombiningMarks(std::u16string_view utf16);

// Whether the composition above never joins c to the character before it
// (true for every character below U+0300).
bool hasCompositionBoundaryBefore(char32_t c);

// How utf16ToGbk writes one character of the Basic Multilingual Plane, and
// what gbkToUtf16 reads back from that.
struct CodePage936Char
{
    enum Flag : std::uint8_t {
        // hasCompositionBoundaryBefore holds.
        BoundaryBefore = 1,
        // The bytes read back as the character itself; otherwise they are "?"
        // (or there are none: the converter drops the character).
        ReadsBack = 2,
        // Neither of the above, or bytes that do not follow the rule below:
        // convert this character through utf16ToGbk on its own.
        Irregular = 4,
    };

    // Two bytes as lead << 8 | trail, the lead from 0x81 to 0xFE; or one byte
    // outside that range.
    std::uint16_t bytes = 0;
    std::uint8_t length = 0; // 0, 1 or 2
    std::uint8_t flags = 0;
};

// The 65,536 entries, one per BMP code point (surrogates read as "?"), made
// once from ICU's converter and normaliser.
const CodePage936Char* codePage936Table();

// The length of the UTF-8 sequence a lead byte starts (1 for a byte that
// starts none).
inline std::size_t utf8CharLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace zv
