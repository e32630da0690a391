#include "web/codepage.h"

#include "text/unicode.h"
#include "web/event_hook.h"

namespace zv {

namespace {

std::string_view upToNul(std::string_view s)
{
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

bool isSafeByte(unsigned char c)
{
    return (c >= 0x2C && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A);
}

} // namespace

Text utf8ToGbk(const ByteBlock& utf8)
{
    std::u16string utf16 = utf8ToUtf16(utf8);
    // Cutting before encoding spares the work on whatever follows a NUL.
    const std::size_t nul = utf16.find(u'\0');
    if (nul != std::u16string::npos)
        utf16.resize(nul);
    return utf16ToGbk(composeCombiningMarks(utf16));
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
