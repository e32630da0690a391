#include "text/unicode.h"

#include <unicode/normalizer2.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <memory>
#include <vector>

namespace zv {

namespace {

struct ConverterCloser
{
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// A fresh converter per call: opening one is cheap once ICU has loaded its
// table, and a converter carries state between calls that we never want.
Converter openCodePage936()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-936", &status));
    if (U_FAILURE(status))
        return nullptr;
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    return converter;
}

const UChar* asUChars(const char16_t* s)
{
    return reinterpret_cast<const UChar*>(s);
}

UChar* asUChars(char16_t* s)
{
    return reinterpret_cast<UChar*>(s);
}

} // namespace

std::u16string gbkToUtf16(std::string_view gbk, std::vector<std::uint32_t>* sourceOffsets)
{
    std::u16string out;
    if (sourceOffsets)
        sourceOffsets->clear();
    if (gbk.empty())
        return out;
    Converter converter = openCodePage936();
    if (!converter)
        return out;
    // One byte never gives more than one UTF-16 unit in this code page; the
    // loop still copes with a converter that would.
    std::size_t capacity = gbk.size() + 16;
    std::vector<int32_t> offsets;
    const char* source = gbk.data();
    const char* const sourceEnd = gbk.data() + gbk.size();
    std::size_t produced = 0;
    for (;;) {
        out.resize(capacity);
        offsets.resize(capacity);
        UChar* target = asUChars(out.data()) + produced;
        UChar* const targetStart = target;
        const auto sourceBase = static_cast<std::int32_t>(source - gbk.data());
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, asUChars(out.data()) + capacity, &source, sourceEnd,
                       offsets.data() + produced, true, &status);
        const std::size_t count = static_cast<std::size_t>(target - targetStart);
        // Offsets count from where this call started reading.
        for (std::size_t i = produced; i < produced + count; ++i) {
            if (offsets[i] >= 0)
                offsets[i] += sourceBase;
        }
        produced += count;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            capacity *= 2;
            continue;
        }
        if (U_FAILURE(status)) {
            out.clear();
            offsets.clear();
            produced = 0;
        }
        break;
    }
    out.resize(produced);
    if (sourceOffsets) {
        sourceOffsets->reserve(produced);
        std::uint32_t last = 0;
        for (std::size_t i = 0; i < produced; ++i) {
            if (offsets[i] >= 0)
                last = static_cast<std::uint32_t>(offsets[i]);
            sourceOffsets->push_back(last);
        }
    }
    return out;
}

Text utf16ToGbk(std::u16string_view utf16)
{
    Text out;
    if (utf16.empty())
        return out;
    Converter converter = openCodePage936();
    if (!converter)
        return out;
    const auto length = static_cast<int32_t>(utf16.size());
    out.resize(utf16.size() * 2 + 16);
    UErrorCode status = U_ZERO_ERROR;
    int32_t written = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                      asUChars(utf16.data()), length, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(written) + 1);
        status = U_ZERO_ERROR;
        ucnv_resetFromUnicode(converter.get());
        written = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()), asUChars(utf16.data()),
                                  length, &status);
    }
    if (U_FAILURE(status))
        return Text();
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    if (utf8.empty())
        return out;
    // Never more UTF-16 units than UTF-8 bytes.
    out.resize(utf8.size());
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(asUChars(out.data()), static_cast<int32_t>(out.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return std::u16string();
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    if (utf16.empty())
        return out;
    out.resize(utf16.size() * 3);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, asUChars(utf16.data()),
                       static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return std::string();
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string gbkToUtf8Mapped(std::string_view gbk, std::vector<std::uint32_t>& gbkPositions)
{
    std::vector<std::uint32_t> unitOffsets;
    const std::u16string utf16 = gbkToUtf16(gbk, &unitOffsets);
    // Written in place into room for the longest outcome, then cut to size:
    // pages are long and this runs once per pattern search.
    std::string out(utf16.size() * 3, '\0');
    gbkPositions.assign(utf16.size() * 3 + 1, 0);
    char* bytes = out.data();
    std::uint32_t* positions = gbkPositions.data();
    std::size_t n = 0;
    const auto emit = [&](char byte, std::uint32_t position) {
        bytes[n] = byte;
        positions[n] = position;
        ++n;
    };
    std::size_t i = 0;
    while (i < utf16.size()) {
        const std::uint32_t position = unitOffsets[i];
        char32_t c = utf16[i++];
        if (U16_IS_LEAD(c) && i < utf16.size() && U16_IS_TRAIL(utf16[i]))
            c = U16_GET_SUPPLEMENTARY(c, utf16[i++]);
        else if (U16_IS_SURROGATE(c))
            c = 0xFFFD;
        if (c < 0x80) {
            emit(static_cast<char>(c), position);
        } else if (c < 0x800) {
            emit(static_cast<char>(0xC0 | (c >> 6)), position);
            emit(static_cast<char>(0x80 | (c & 0x3F)), position);
        } else if (c < 0x10000) {
            emit(static_cast<char>(0xE0 | (c >> 12)), position);
            emit(static_cast<char>(0x80 | ((c >> 6) & 0x3F)), position);
            emit(static_cast<char>(0x80 | (c & 0x3F)), position);
        } else {
            emit(static_cast<char>(0xF0 | (c >> 18)), position);
            emit(static_cast<char>(0x80 | ((c >> 12) & 0x3F)), position);
            emit(static_cast<char>(0x80 | ((c >> 6) & 0x3F)), position);
            emit(static_cast<char>(0x80 | (c & 0x3F)), position);
        }
    }
    out.resize(n);
    gbkPositions.resize(n + 1);
    gbkPositions[n] = static_cast<std::uint32_t>(gbk.size());
    return out;
}

std::u16string composeCombiningMarks(std::u16string_view utf16)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || nfc == nullptr)
        return std::u16string(utf16);
    const auto length = static_cast<int32_t>(utf16.size());
    const UChar* const s = asUChars(utf16.data());
    // Text already composed throughout (nearly every page) comes back as it
    // is; the table look-up of the quick check is far cheaper than the walk
    // below.
    const icu::UnicodeString whole(false, s, length);
    if (nfc->spanQuickCheckYes(whole, status) == length && U_SUCCESS(status))
        return std::u16string(utf16);
    status = U_ZERO_ERROR;
    std::u16string out;
    out.reserve(utf16.size());
    int32_t start = 0;
    while (start < length) {
        // A segment runs from one character to the next that composition
        // cannot join to what precedes it.
        int32_t end = start;
        UChar32 c;
        U16_NEXT(s, end, length, c);
        const int32_t firstEnd = end;
        while (end < length) {
            int32_t next = end;
            U16_NEXT(s, next, length, c);
            if (nfc->hasBoundaryBefore(c))
                break;
            end = next;
        }
        if (end == firstEnd) {
            out.append(utf16.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
        } else {
            icu::UnicodeString segment(false, s + start, end - start);
            status = U_ZERO_ERROR;
            const icu::UnicodeString composed = nfc->normalize(segment, status);
            if (U_SUCCESS(status))
                out.append(reinterpret_cast<const char16_t*>(composed.getBuffer()),
                           static_cast<std::size_t>(composed.length()));
            else
                out.append(utf16.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
        }
        start = end;
    }
    return out;
}

bool hasCompositionBoundaryBefore(char32_t c)
{
    if (c < 0x300)
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    return U_FAILURE(status) || nfc == nullptr || nfc->hasBoundaryBefore(static_cast<UChar32>(c));
}

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

std::vector<CodePage936Char> makeCodePage936Table()
{
    std::vector<CodePage936Char> table(0x10000);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    const Converter converter = openCodePage936();
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
        CodePage936Char& entry = table[c];
        if (nfc == nullptr || nfc->hasBoundaryBefore(static_cast<UChar32>(c)))
            entry.flags |= CodePage936Char::BoundaryBefore;
        if (U16_IS_SURROGATE(c)) {
            entry.bytes = '?';
            entry.length = 1;
            continue;
        }
        if (!converter) {
            entry.flags |= CodePage936Char::Irregular;
            continue;
        }
        // One character at a time on one converter: the whole plane in one
        // call is slower, as every unmappable character goes through the
        // substitution callback with offsets.
        const auto unit = static_cast<UChar>(c);
        char bytes[8];
        status = U_ZERO_ERROR;
        const int32_t length = ucnv_fromUChars(converter.get(), bytes, sizeof bytes, &unit, 1, &status);
        UChar back[4];
        int32_t backLength = 0;
        if (U_SUCCESS(status) && length > 0) {
            status = U_ZERO_ERROR;
            backLength = ucnv_toUChars(converter.get(), back, 4, bytes, length, &status);
        }
        const auto lead = static_cast<unsigned char>(bytes[0]);
        const bool regularBytes = U_SUCCESS(status)
            && (length == 0 || (length == 1 && !isLeadByte(lead)) || (length == 2 && isLeadByte(lead)));
        const bool readsBack = length > 0 && backLength == 1 && back[0] == unit;
        const bool questionMark = length == 1 && lead == '?' && backLength == 1 && back[0] == u'?';
        if (!regularBytes || (length > 0 && !readsBack && !questionMark)) {
            entry.flags |= CodePage936Char::Irregular;
            continue;
        }
        entry.length = static_cast<std::uint8_t>(length);
        if (length == 1)
            entry.bytes = lead;
        else if (length == 2)
            entry.bytes = static_cast<std::uint16_t>((lead << 8) | static_cast<unsigned char>(bytes[1]));
        if (readsBack)
            entry.flags |= CodePage936Char::ReadsBack;
    }
    return table;
}

} // namespace

const CodePage936Char* codePage936Table()
{
    static const std::vector<CodePage936Char> table = makeCodePage936Table();
    return table.data();
}

} // namespace zv
