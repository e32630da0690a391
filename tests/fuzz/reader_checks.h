#pragma once
// Properties of the page readers that must hold for any input: the
// hexadecimal form of stored index pictures, and the cleaning and splitting of
// a home page's keywords meta tag.

#include "readers/hex_text.h"
#include "readers/home_page_keywords.h"
#include "tests/fuzz/fuzz_check.h"
#include "text/text.h"

#include <string_view>
#include <vector>

namespace zv::fuzz {

inline void checkHexText(std::string_view input)
{
    const ByteBlock bytes(input);
    const Text hex = bytesToHex(bytes);
    require(hex.size() == 2 * bytes.size(), "two digits per byte");
    for (char c : hex)
        require((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), "upper-case hexadecimal digits only");
    require(hexToBytes(hex) == bytes, "the hexadecimal text gives back its bytes");

    // Any stored text: the complete digit pairs before the first non-digit.
    const ByteBlock decoded = hexToBytes(Text(input));
    require(decoded.size() <= input.size() / 2, "never more bytes than digit pairs");
    const Text digits = bytesToHex(decoded);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const char c = input[i];
        const char folded = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
        require(folded == digits[i], "each byte is the pair of digits at its place");
    }
}

inline void checkKeywordImport(std::string_view input)
{
    const Text keywords = homePageKeywordText(ByteBlock(input)).value_or(Text());
    for (const char* removed : {"\"", "'", "/"})
        require(!containsText(keywords, removed), "quotation marks and slashes are removed");

    const std::vector<Text> pieces = splitHomePageKeywords(keywords);
    if (keywords.empty()) {
        require(pieces.empty(), "an empty keyword text gives no keywords");
        return;
    }
    Text separator;
    for (const Text& candidate : {Text(","), Text("_"), utf8ToGbkString("，"), Text("|"), Text(" ")}) {
        if (containsText(keywords, candidate)) {
            separator = candidate;
            break;
        }
    }
    if (separator.empty()) {
        require(pieces.size() == 1 && pieces[0] == keywords, "without a separator the whole text is one keyword");
        return;
    }
    Text joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        require(!containsText(pieces[i], separator), "no keyword holds the separator it was cut at");
        joined += (i ? separator : Text()) + pieces[i];
    }
    require(keywords == joined || keywords == joined + separator,
            "the keywords and their separators make up the text, a separator at the end aside");
}

} // namespace zv::fuzz
