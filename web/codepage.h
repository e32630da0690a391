#pragma once
// Conversions between the program's text (code page 936) and the UTF-8 of web
// pages and query strings, and percent-encoding for addresses and form bodies.
// None of them fails: malformed input is replaced and conversion goes on.

#include "text/text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// A UTF-8 body (exactly its bytes, NUL bytes included) as text. A base
// character followed by combining marks becomes the precomposed character
// where one exists; characters code page 936 lacks become "?". The result ends
// before the first NUL character of the body.
Text utf8ToGbk(const ByteBlock& utf8);

// A part of a page form: UTF-8 byte positions, end not included.
struct PageRange
{
    std::size_t begin = 0;
    std::size_t end = 0;

    std::size_t size() const { return end - begin; }
    bool operator==(const PageRange&) const = default;
};

// A web page read once for the patterns run over it: its text as utf8ToGbk
// gives it, and the same text as UTF-8 (the code page text read back, so a
// character code page 936 lacks is "?" there too) for the pattern engine,
// with what maps positions in the one to positions in the other. Patterns run
// over the UTF-8 form in place; only the pieces a reader keeps are cut out of
// the code page text.
class PageForm
{
public:
    PageForm() = default;
    explicit PageForm(const ByteBlock& utf8);

    // Reads another page in place of this one, in the room this one had (one
    // form kept for a whole search spares the allocations of each page).
    void read(const ByteBlock& utf8);

    // utf8ToGbk of the body.
    const Text& text() const { return m_text; }
    std::string_view utf8() const { return m_utf8; }
    PageRange whole() const { return {0, m_utf8.size()}; }

    // The text position of the character that starts at utf8Position (the
    // text's end for the form's end). Positions inside a character are not
    // asked for: the pattern engine only reports character boundaries.
    std::size_t textPosition(std::size_t utf8Position) const;
    // The code page text of a range of the form.
    Text textOf(PageRange range) const;

private:
    template <bool withForm> friend class PageReader;

    // The first character that starts at or after each multiple of 64 bytes
    // of the form, and where it starts in the text; a position between two
    // is found by walking characters from the one before it.
    struct Checkpoint
    {
        std::uint32_t utf8 = 0;
        std::uint32_t text = 0;
    };
    static constexpr unsigned kCheckpointShift = 6;

    Text m_text;
    std::string m_utf8;
    std::vector<Checkpoint> m_checkpoints;
};

// Text (up to its first NUL byte) as UTF-8 bytes.
Text gbkToUtf8(const Text& gbk);

// Percent-encodes the text (up to its first NUL byte), or its UTF-8 form when
// asUtf8 is set. With keepSafe, the bytes , - . / 0-9 A-Z a-z stay as they are;
// every other byte becomes "%" and two upper-case hexadecimal digits (a space
// is %20, never "+"). Pending window events are processed after each byte.
Text urlEncode(const Text& text, bool keepSafe = false, bool asUtf8 = false);

} // namespace zv
