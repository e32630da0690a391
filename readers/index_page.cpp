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

} // namespace

Text indexServiceAddress()
{
    return "http://" + Text(kIndexHost) + kServicePath;
}

Text indexRequestBody(const Text& keyword)
{
    return "kw=" + urlEncode(keyword, true, true);
}

Text indexPictureAddress(const Text& answerPage, const Text& keyword)
{
    PatternMatcher rowMatcher;
    PatternMatcher cellMatcher;
    rowMatcher.execute(kRowPattern, answerPage);
    const int rows = rowMatcher.matchCount();
    for (int n = 1; n <= rows; ++n) {
        const Text row = rowMatcher.matchText(n);
        cellMatcher.execute(kCellPattern, row);
        if (cellMatcher.subMatchText(1, 1) != keyword)
            continue;
        rowMatcher.execute(kPicturePattern, row);
        return "http://" + Text(kIndexHost) + rowMatcher.subMatchText(1, 1);
    }
    return {};
}

} // namespace zv
