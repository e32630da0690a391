#include "web/page_reader.h"

#include "text/unicode.h"
#include "web/byte_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zv {

namespace {

struct Decoded
{
    char32_t c;
    std::uint32_t length;
};

bool inRange(const unsigned char* s, std::size_t i, std::size_t n, unsigned lowest, unsigned highest)
{
    return i < n && s[i] >= lowest && s[i] <= highest;
}

// One character of UTF-8 as ICU decodes it: a malformed sequence gives one
// U+FFFD for its longest start that could still have begun a character, and
// decoding goes on after it.
Decoded decodeUtf8(const unsigned char* s, std::size_t i, std::size_t n)
{
    const unsigned lead = s[i];
    if (lead < 0x80)
        return {lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!inRange(s, i + 1, n, 0x80, 0xBF))
            return {0xFFFD, 1};
        return {((lead & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu), 2};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!inRange(s, i + 1, n, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF))
            return {0xFFFD, 1};
        if (!inRange(s, i + 2, n, 0x80, 0xBF))
            return {0xFFFD, 2};
        return {((lead & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu), 3};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!inRange(s, i + 1, n, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF))
            return {0xFFFD, 1};
        if (!inRange(s, i + 2, n, 0x80, 0xBF))
            return {0xFFFD, 2};
        if (!inRange(s, i + 3, n, 0x80, 0xBF))
            return {0xFFFD, 3};
        return {((lead & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu),
                4};
    }
    return {0xFFFD, 1};
}

std::size_t encodeUtf8(char32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

void appendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
    }
}

} // namespace

// Reads a UTF-8 body into code page text (and, withForm, into the UTF-8 form
// of that text with its checkpoints) in one pass: runs of ASCII are copied,
// other characters go through the table of code page 936, and only a base
// character with combining marks after it goes through composition. The
// result is that of UTF-8 to UTF-16, the cut at the first NUL,
// composeCombiningMarks and utf16ToGbk (and gbkToUtf16 for the form).
template <bool withForm> class PageReader
{
public:
    // Writes into text and (withForm) form and checkpoints, replacing what
    // they held but keeping their room.
    PageReader(std::string_view utf8, Text& text, std::string& form, std::vector<PageForm::Checkpoint>& checkpoints)
        : m_in(reinterpret_cast<const unsigned char*>(utf8.data()))
        , m_size(upToNul(utf8).size())
        , m_table(codePage936Table())
        , m_text(text)
        , m_form(form)
        , m_checkpoints(checkpoints)
    {
        // Outside composition no character gives more bytes than it takes;
        // the slack lets a character be written in whole words.
        m_text.resize(m_size + kSlack);
        if constexpr (withForm) {
            m_form.resize(m_size + kSlack);
            m_checkpoints.clear();
            m_checkpoints.reserve((m_size >> PageForm::kCheckpointShift) + 1);
        }
    }

    // The text alone, for utf8ToGbk.
    static Text textOf(std::string_view utf8)
    {
        Text text;
        std::string unusedForm;
        std::vector<PageForm::Checkpoint> unusedCheckpoints;
        PageReader(utf8, text, unusedForm, unusedCheckpoints).read();
        return text;
    }

    // A page form's text, UTF-8 form and checkpoints, for PageForm::read.
    static void formOf(std::string_view utf8, PageForm& form)
    {
        PageReader(utf8, form.m_text, form.m_utf8, form.m_checkpoints).read();
    }

    void read()
    {
        std::size_t i = 0;
        while (i < m_size) {
            const unsigned lead = m_in[i];
            if (lead < 0x80) {
                i = copyAscii(i);
                continue;
            }
            if (const std::size_t end = copyChineseRun(i); end != i) {
                i = end;
                continue;
            }
            // Most characters of a Chinese page: three bytes, with a lead
            // byte whose second byte may be any continuation byte.
            Decoded d;
            if (lead >= 0xE1 && lead != 0xED && lead <= 0xEF && i + 2 < m_size && (m_in[i + 1] & 0xC0) == 0x80
                && (m_in[i + 2] & 0xC0) == 0x80)
                d = {((lead & 0x0Fu) << 12) | ((m_in[i + 1] & 0x3Fu) << 6) | (m_in[i + 2] & 0x3Fu), 3};
            else
                d = decodeUtf8(m_in, i, m_size);
            if (d.c < 0x10000) {
                const CodePage936Char entry = m_table[d.c];
                if (!(entry.flags & CodePage936Char::BoundaryBefore)) {
                    i = compose(i);
                    continue;
                }
                // A malformed sequence's bytes are not those of U+FFFD.
                if ((entry.flags & CodePage936Char::Irregular) || d.c == 0xFFFD)
                    writeCharacter(d.c, i);
                else
                    writeTableCharacter(entry, i, d.length);
            } else {
                if (!hasCompositionBoundaryBefore(d.c)) {
                    i = compose(i);
                    continue;
                }
                writeCharacter(d.c, i);
            }
            i += d.length;
        }
        m_text.resize(m_textSize);
        if constexpr (withForm)
            m_form.resize(m_formSize);
    }

private:
    // Where the last character written started in the input and the outputs,
    // so that it can be taken back when a combining mark follows it.
    struct Start
    {
        std::size_t input = 0;
        std::size_t text = 0;
        std::size_t form = 0;
    };

    void startCharacter(std::size_t input)
    {
        m_last = {input, m_textSize, m_formSize};
        m_haveLast = true;
        if constexpr (withForm) {
            if (m_formSize >= m_nextCheckpoint)
                addCheckpoints();
        }
    }

    // The character about to be written at the form's end starts at or past
    // the next multiple of 64 bytes: it is the checkpoint of each multiple up
    // to where it starts.
    void addCheckpoints()
    {
        while (m_checkpoints.size() <= (m_formSize >> PageForm::kCheckpointShift))
            m_checkpoints.push_back({static_cast<std::uint32_t>(m_formSize), static_cast<std::uint32_t>(m_textSize)});
        m_nextCheckpoint = m_checkpoints.size() << PageForm::kCheckpointShift;
    }

    // A run of three-byte characters whose entries are two code page bytes
    // that read back as the character itself (nearly every Chinese character),
    // from i on: written without the general path's checks. Returns where the
    // run ended (i when there is none).
    std::size_t copyChineseRun(std::size_t i)
    {
        constexpr std::uint8_t wanted = CodePage936Char::BoundaryBefore | CodePage936Char::ReadsBack;
        constexpr std::uint8_t checked = wanted | CodePage936Char::Irregular;
        // Locals, not members: the byte stores below could otherwise alias
        // them and force a reload after each one.
        const unsigned char* const in = m_in;
        const std::size_t size = m_size;
        const CodePage936Char* const table = m_table;
        char* const text = m_text.data();
        char* const form = withForm ? m_form.data() : nullptr;
        std::size_t textSize = m_textSize;
        std::size_t formSize = m_formSize;
        const std::size_t start = i;
        while (i + 2 < size) {
            const unsigned lead = in[i];
            const unsigned second = in[i + 1];
            const unsigned third = in[i + 2];
            if (lead < 0xE1 || lead > 0xEF || lead == 0xED || (second & 0xC0) != 0x80 || (third & 0xC0) != 0x80)
                break;
            const CodePage936Char entry = table[((lead & 0x0Fu) << 12) | ((second & 0x3Fu) << 6) | (third & 0x3Fu)];
            if ((entry.flags & checked) != wanted || entry.length != 2)
                break;
            if constexpr (withForm) {
                if (formSize >= m_nextCheckpoint) {
                    m_formSize = formSize;
                    m_textSize = textSize;
                    addCheckpoints();
                }
                form[formSize] = static_cast<char>(lead);
                form[formSize + 1] = static_cast<char>(second);
                form[formSize + 2] = static_cast<char>(third);
                formSize += 3;
            }
            text[textSize] = static_cast<char>(entry.bytes >> 8);
            text[textSize + 1] = static_cast<char>(entry.bytes & 0xFF);
            textSize += 2;
            i += 3;
        }
        if (i != start) {
            // The last character of the run, should a combining mark follow it.
            m_last = {i - 3, textSize - 2, withForm ? formSize - 3 : formSize};
            m_haveLast = true;
            m_textSize = textSize;
            m_formSize = formSize;
        }
        return i;
    }

    std::size_t copyAscii(std::size_t i)
    {
        const std::size_t end = asciiRunEnd(m_in, i, m_size);
        const std::size_t length = end - i;
        if constexpr (withForm) {
            if (m_formSize + length > m_nextCheckpoint) {
                const std::size_t last = (m_formSize + length - 1) >> PageForm::kCheckpointShift;
                while (m_checkpoints.size() <= last) {
                    const std::size_t at = std::max(m_formSize, m_checkpoints.size() << PageForm::kCheckpointShift);
                    m_checkpoints.push_back(
                        {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(m_textSize + (at - m_formSize))});
                }
                m_nextCheckpoint = m_checkpoints.size() << PageForm::kCheckpointShift;
            }
            std::memcpy(m_form.data() + m_formSize, m_in + i, length);
        }
        std::memcpy(m_text.data() + m_textSize, m_in + i, length);
        m_last = {end - 1, m_textSize + length - 1, m_formSize + length - 1};
        m_haveLast = true;
        m_textSize += length;
        m_formSize += length;
        return end;
    }

    // A character of two or three bytes whose entry is regular. Bytes past
    // what it gives land in the slack and are overwritten by what follows.
    void writeTableCharacter(CodePage936Char entry, std::size_t input, std::size_t inputLength)
    {
        startCharacter(input);
        char* text = m_text.data() + m_textSize;
        if (entry.length == 2) {
            text[0] = static_cast<char>(entry.bytes >> 8);
            text[1] = static_cast<char>(entry.bytes & 0xFF);
        } else {
            text[0] = static_cast<char>(entry.bytes);
        }
        m_textSize += entry.length;
        if constexpr (withForm) {
            char* form = m_form.data() + m_formSize;
            if (entry.flags & CodePage936Char::ReadsBack) {
                const unsigned char* from = m_in + input;
                form[0] = static_cast<char>(from[0]);
                form[1] = static_cast<char>(from[1]);
                if (inputLength == 3)
                    form[2] = static_cast<char>(from[2]);
                m_formSize += inputLength;
            } else {
                form[0] = '?';
                m_formSize += entry.length != 0;
            }
        }
    }

    void makeRoom(std::size_t textBytes, std::size_t formBytes)
    {
        if (m_textSize + textBytes + kSlack > m_text.size())
            m_text.resize(std::max(m_text.size() * 2, m_textSize + textBytes + kSlack));
        if constexpr (withForm) {
            if (m_formSize + formBytes + kSlack > m_form.size())
                m_form.resize(std::max(m_form.size() * 2, m_formSize + formBytes + kSlack));
        }
    }

    // Any character, through the table or, for the few it does not cover,
    // through the converter itself.
    void writeCharacter(char32_t c, std::size_t input)
    {
        if (c < 0x10000 && !(m_table[c].flags & CodePage936Char::Irregular)) {
            const CodePage936Char entry = m_table[c];
            makeRoom(2, 3);
            startCharacter(input);
            char* text = m_text.data() + m_textSize;
            if (entry.length == 2) {
                text[0] = static_cast<char>(entry.bytes >> 8);
                text[1] = static_cast<char>(entry.bytes & 0xFF);
            } else if (entry.length == 1) {
                text[0] = static_cast<char>(entry.bytes);
            }
            m_textSize += entry.length;
            if constexpr (withForm) {
                if (entry.flags & CodePage936Char::ReadsBack)
                    m_formSize += encodeUtf8(c, m_form.data() + m_formSize);
                else if (entry.length != 0)
                    m_form[m_formSize++] = '?';
            }
            return;
        }
        std::u16string units;
        appendUtf16(units, c);
        const Text bytes = utf16ToGbk(units);
        std::string back;
        if constexpr (withForm)
            back = utf16ToUtf8(gbkToUtf16(bytes));
        makeRoom(bytes.size(), back.size());
        startCharacter(input);
        std::memcpy(m_text.data() + m_textSize, bytes.data(), bytes.size());
        m_textSize += bytes.size();
        if constexpr (withForm) {
            std::memcpy(m_form.data() + m_formSize, back.data(), back.size());
            m_formSize += back.size();
        }
    }

    bool hasBoundaryBefore(char32_t c) const
    {
        if (c < 0x10000)
            return m_table[c].flags & CodePage936Char::BoundaryBefore;
        return hasCompositionBoundaryBefore(c);
    }

    // The character at i joins the one before it: takes that one back and
    // writes the whole run, from it to the next character that starts a
    // run of its own, composed. Returns where that run ended.
    std::size_t compose(std::size_t i)
    {
        std::size_t start = i;
        if (m_haveLast) {
            start = m_last.input;
            m_textSize = m_last.text;
            m_formSize = m_last.form;
            if constexpr (withForm) {
                while (!m_checkpoints.empty() && m_checkpoints.back().utf8 >= m_formSize)
                    m_checkpoints.pop_back();
                m_nextCheckpoint = m_checkpoints.size() << PageForm::kCheckpointShift;
            }
        }
        std::u16string run;
        std::size_t end = start;
        while (end < m_size) {
            const Decoded d = decodeUtf8(m_in, end, m_size);
            if (end != start && hasBoundaryBefore(d.c))
                break;
            appendUtf16(run, d.c);
            end += d.length;
        }
        const std::u16string composed = composeCombiningMarks(run);
        for (std::size_t k = 0; k < composed.size(); ++k) {
            char32_t c = composed[k];
            if (c >= 0xD800 && c <= 0xDBFF && k + 1 < composed.size() && composed[k + 1] >= 0xDC00
                && composed[k + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (composed[++k] - 0xDC00);
            writeCharacter(c, start);
        }
        // The character at end starts a run of its own: nothing before it
        // is ever taken back.
        m_haveLast = false;
        // Composition may have written more than it read; the rest of the
        // input still needs room for at most its own size.
        makeRoom(m_size - end, m_size - end);
        return end;
    }

    static constexpr std::size_t kSlack = 4;

    const unsigned char* const m_in;
    const std::size_t m_size;
    const CodePage936Char* const m_table;
    Text& m_text;
    std::size_t m_textSize = 0;
    std::string& m_form;
    std::size_t m_formSize = 0;
    std::vector<PageForm::Checkpoint>& m_checkpoints;
    // Where the form must reach for the next checkpoint to be due.
    std::size_t m_nextCheckpoint = 0;
    Start m_last;
    bool m_haveLast = false;
};

Text readPageText(std::string_view utf8)
{
    return PageReader<false>::textOf(utf8);
}

void readPageForm(std::string_view utf8, PageForm& form)
{
    PageReader<true>::formOf(utf8, form);
}

} // namespace zv
