#include "web/url.h"

#include <unicode/uidna.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <memory>
#include <string_view>

namespace zv {

namespace {

constexpr std::string_view schemePrefix = "http://";

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 0-based index of the first whole-character occurrence of needle at or after
// index `from`; npos when there is none.
std::size_t findWhole(std::string_view hay, std::string_view needle, std::size_t from)
{
    const std::size_t position = findText(hay, needle, from + 1);
    return position == 0 ? std::string_view::npos : position - 1;
}

// Index where the authority starts: after "http://" when the address begins
// with it in any letter case, else at the start. Nothing is trimmed.
std::size_t authorityStart(std::string_view url)
{
    const std::string_view head = url.substr(0, schemePrefix.size());
    return findText(head, schemePrefix, 1, true) == 1 ? schemePrefix.size() : 0;
}

std::string_view authorityOf(std::string_view url)
{
    const std::size_t start = authorityStart(url);
    const std::size_t slash = findWhole(url, "/", start);
    return slash == std::string_view::npos ? url.substr(start) : url.substr(start, slash - start);
}

bool isCBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a leading decimal number (blanks, sign, digits, fraction, exponent)
// the way the C library's text-to-double conversion does, without its locale
// and without the hexadecimal and infinity forms; 0 when there is no number.
double leadingDecimal(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isCBlank(s[i]))
        ++i;
    const std::size_t begin = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const std::size_t mantissa = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    std::size_t digits = i - mantissa;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        digits += i - fraction;
    }
    if (digits == 0)
        return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    std::string_view number = s.substr(begin, i - begin);
    // from_chars takes no leading "+".
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    return result.ec == std::errc() ? value : 0.0;
}

// Truncation toward zero; values beyond int are clamped rather than left to
// an undefined conversion.
int truncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

struct IdnaDeleter
{
    void operator()(UIDNA* idna) const { uidna_close(idna); }
};

// One converter for the whole run: a UTS #46 instance is immutable once
// opened, so concurrent calls may share it. Null when ICU cannot open it.
const UIDNA* idnaConverter()
{
    static const std::unique_ptr<UIDNA, IdnaDeleter> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UIDNA* opened
            = uidna_openUTS46(UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ, &status);
        if (U_FAILURE(status)) {
            uidna_close(opened);
            opened = nullptr;
        }
        return std::unique_ptr<UIDNA, IdnaDeleter>(opened);
    }();
    return converter.get();
}

} // namespace

Text urlHost(const Text& url)
{
    std::string_view authority = authorityOf(url);
    const std::size_t colon = findWhole(authority, ":", 0);
    if (colon != std::string_view::npos)
        authority = authority.substr(0, colon);
    Text host(authority);
    for (std::size_t i = 0; i < host.size(); i += charLength(host, i)) {
        if (charLength(host, i) == 1)
            host[i] = lowerAscii(host[i]);
    }
    return host;
}

int urlPort(const Text& url)
{
    const std::string_view authority = authorityOf(url);
    const std::size_t colon = findWhole(authority, ":", 0);
    if (colon == std::string_view::npos)
        return 80;
    return truncateToInt(leadingDecimal(authority.substr(colon + 1)));
}

Text urlPath(const Text& url)
{
    // The path starts at the first "/" after the start of the authority. (The
    // host is not looked for again in the whole address: a host such as "h" or
    // "http" would be found inside the "http://" prefix and give "//h/x".)
    const std::size_t slash = findWhole(url, "/", authorityStart(url));
    return slash == std::string_view::npos ? Text("/") : url.substr(slash);
}

Text asciiHost(const Text& host)
{
    if (std::all_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return host;
    const UIDNA* idna = idnaConverter();
    if (!idna)
        return {};
    // Bytes that are no code page 936 character come back as U+FFFD, which
    // IDNA refuses.
    const std::string utf8 = gbkToUtf8String(host);
    if (utf8.size() > static_cast<std::size_t>(INT32_MAX / 4))
        return {};
    std::string ascii(utf8.size() * 2 + 16, '\0');
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = uidna_nameToASCII_UTF8(idna, utf8.data(), static_cast<int32_t>(utf8.size()), ascii.data(),
                                            static_cast<int32_t>(ascii.size()), &info, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR && length > 0) {
        // The first try tells how much room the whole name needs.
        ascii.assign(static_cast<std::size_t>(length), '\0');
        info = UIDNA_INFO_INITIALIZER;
        status = U_ZERO_ERROR;
        length = uidna_nameToASCII_UTF8(idna, utf8.data(), static_cast<int32_t>(utf8.size()), ascii.data(),
                                        static_cast<int32_t>(ascii.size()), &info, &status);
    }
    if (U_FAILURE(status) || info.errors != 0 || length <= 0)
        return {};
    ascii.resize(static_cast<std::size_t>(length));
    return ascii;
}

} // namespace zv
