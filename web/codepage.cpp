#include "web/codepage.h"

#include "text/unicode.h"
#include "web/byte_scan.h"
#include "web/event_hook.h"
#include "web/page_reader.h"

#include <algorithm>

namespace zv {

namespace {

bool isSafeByte(unsigned char c)
{
    return (c >= 0x2C && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A);
}

// The length of a character of text this file writes: two bytes from a lead
// byte 0x81..0xFE on, else one (0x80 and 0xFF stand alone in this code page).
std::size_t textCharLength(unsigned char lead)
{
    return lead >= 0x81 && lead <= 0xFE ? 2 : 1;
}

} // namespace

Text utf8ToGbk(const ByteBlock& utf8)
{
    return readPageText(utf8);
}

PageForm::PageForm(const ByteBlock& utf8)
{
    read(utf8);
}

void PageForm::read(const ByteBlock& utf8)
{
    readPageForm(utf8, *this);
}

std::size_t PageForm::textPosition(std::size_t utf8Position) const
{
    if (m_checkpoints.empty())
        return 0;
    const Checkpoint& from = m_checkpoints[std::min(utf8Position >> kCheckpointShift, m_checkpoints.size() - 1)];
    std::size_t utf8 = from.utf8;
    std::size_t text = from.text;
    const std::size_t end = std::min(utf8Position, m_utf8.size());
    const auto* form = reinterpret_cast<const unsigned char*>(m_utf8.data());
    while (utf8 < end && text < m_text.size()) {
        if (form[utf8] < 0x80) {
            // An ASCII character of the form is the same single byte in the
            // text: a run of them moves both positions alike.
            const std::size_t runEnd = asciiRunEnd(form, utf8, end);
            text += runEnd - utf8;
            utf8 = runEnd;
            continue;
        }
        utf8 += utf8CharLength(form[utf8]);
        text += textCharLength(static_cast<unsigned char>(m_text[text]));
    }
    return std::min(text, m_text.size());
}

Text PageForm::textOf(PageRange range) const
{
    const std::size_t from = textPosition(range.begin);
    const std::size_t to = textPosition(range.end);
    return to > from ? m_text.substr(from, to - from) : Text();
}

Text gbkToUtf8(const Text& gbk)
{
    return utf16ToUtf8(gbkToUtf16(upToNul(gbk)));
}

Text urlEncode(const Text& text, bool keepSafe, bool asUtf8)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const std::string bytes = asUtf8 ? gbkToUtf8(text) : std::string(upToNul(text));
    Text out;
    out.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (keepSafe && isSafeByte(c)) {
            out.push_back(byte);
        } else {
            out.push_back('%');
            out.push_back(hexDigits[c >> 4]);
            out.push_back(hexDigits[c & 0x0F]);
        }
        processPendingEvents();
    }
    return out;
}

} // namespace zv
