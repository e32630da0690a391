#include "readers/home_page_keywords.h"

#include "readers/fixed_text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

namespace zv {

std::optional<Text> homePageKeywordText(const ByteBlock& body)
{
    PatternMatcher matcher;

    // Taken as GBK up to its first NUL byte unless it declares UTF-8.
    Text page(body.c_str());
    matcher.execute("<meta.*?charset=.*?>", page);
    if (matcher.gaveUp())
        return std::nullopt;
    for (int n = 1; n <= matcher.matchCount(); ++n) {
        if (containsText(matcher.matchText(n), "utf-8", true)) {
            page = utf8ToGbk(body);
            break;
        }
    }

    Text keywords;
    matcher.execute("<meta.*?keywords.*?content=(.*?)>", page);
    if (matcher.matchCount() != 0) {
        keywords = matcher.subMatchText(1, 1);
    } else {
        if (matcher.gaveUp())
            return std::nullopt;
        matcher.execute("<meta.*?content=(.*?)keywords.*?>", page);
        if (matcher.gaveUp() && matcher.matchCount() == 0)
            return std::nullopt;
        keywords = matcher.subMatchText(1, 1);
    }

    keywords = trimBlanks(keywords);
    for (const char* removed : {"\"", "'", "/", "name="})
        keywords = replaceAll(keywords, removed, "");
    return keywords;
}

std::vector<Text> splitHomePageKeywords(const Text& keywordText)
{
    for (const Text& separator : {Text(","), Text("_"), gbk("，"), Text("|"), Text(" ")}) {
        if (containsText(keywordText, separator))
            return splitText(keywordText, separator);
    }
    return splitText(keywordText, ",");
}

} // namespace zv
