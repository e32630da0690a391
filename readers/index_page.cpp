#include "readers/index_page.h"

#include "readers/constants.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

namespace zv {

namespace {

constexpr char kServicePath[] = "/baidu/words.aspx";
constexpr char kRowPattern[] = "<tr .*?id=.index[\\s\\S]*?</tr>";
constexpr char kCellPattern[] = "<span  ><em>(.*?)</em></span>";
constexpr char kPicturePattern[] = "<img src=.(.*?). />";

// The picture address once the row pattern has run: searchRow(n, pattern)
// runs pattern over row n and gives the matcher that holds the result.
template <typename SearchRow> Text pictureOf(const Text& keyword, int rows, SearchRow searchRow)
{
    for (int n = 1; n <= rows; ++n) {
        const auto& cell = searchRow(n, kCellPattern);
        if (cell.gaveUp())
            return {};
        if (cell.subMatchText(1, 1) != keyword)
            continue;
        const auto& picture = searchRow(n, kPicturePattern);
        if (picture.gaveUp())
            return {};
        return "http://" + Text(kIndexHost) + picture.subMatchText(1, 1);
    }
    return {};
}

} // namespace

Text indexServiceAddress()
{
    return "http://" + Text(kIndexHost) + kServicePath;
}

Text indexRequestBody(const Text& keyword)
{
    return "kw=" + urlEncode(keyword, true, true);
}

Text indexPictureAddress(const PageForm& answerPage, const Text& keyword, PageMatcher& rowMatcher,
                         PageMatcher& cellMatcher)
{
    rowMatcher.execute(kRowPattern, answerPage);
    return pictureOf(keyword, rowMatcher.matchCount(), [&](int n, const char* pattern) -> const PageMatcher& {
        cellMatcher.execute(pattern, answerPage, rowMatcher.matchRange(n));
        return cellMatcher;
    });
}

Text indexPictureAddress(const Text& answerPage, const Text& keyword)
{
    PatternMatcher rowMatcher;
    PatternMatcher cellMatcher;
    rowMatcher.execute(kRowPattern, answerPage);
    return pictureOf(keyword, rowMatcher.matchCount(), [&](int n, const char* pattern) -> const PatternMatcher& {
        cellMatcher.execute(pattern, rowMatcher.matchText(n));
        return cellMatcher;
    });
}

} // namespace zv
