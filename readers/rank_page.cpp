#include "readers/rank_page.h"

#include "readers/constants.h"
#include "readers/engine_page.h"
#include "readers/fixed_text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <string>

namespace zv {

namespace {

// One result block per match; group 1 is the block's id, the result's position.
constexpr char kResultBlockPattern[] = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
// The displayed-address line of a result.
constexpr char kAddressLinePattern[] = "<span class=.g.>.*?</span>";

// The site's entries once the block pattern has run: searchLines(n) runs the
// address-line pattern over block n.
template <typename Matcher, typename SearchLines>
Text entriesOf(const Text& siteAddress, const Matcher& tableMatcher, const Matcher& entryMatcher,
               SearchLines searchLines)
{
    Text entries;
    const Text homePageMark = siteAddress + "/ ";
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        searchLines(n);
        const int lines = entryMatcher.matchCount();
        for (int m = 1; m <= lines; ++m) {
            const Text line = entryMatcher.matchText(m);
            if (!containsText(line, siteAddress))
                continue;
            entries += tableMatcher.subMatchText(n, 1);
            entries += containsText(line, homePageMark) ? ". " : " ";
            break;
        }
    }
    return entries;
}

} // namespace

Text rankSearchAddress(const Text& keyword, int page)
{
    return "http://" + Text(kSearchHost) + "/s?wd=" + urlEncode(keyword, true, true)
        + "&pn=" + std::to_string((page - 1) * 100) + "&rn=100&ie=utf-8";
}

Text siteRankEntries(const PageForm& page, const Text& siteAddress, PageMatcher& tableMatcher,
                     PageMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return {};
    tableMatcher.execute(kResultBlockPattern, page);
    return entriesOf(siteAddress, tableMatcher, entryMatcher,
                     [&](int n) { entryMatcher.execute(kAddressLinePattern, page, tableMatcher.matchRange(n)); });
}

Text siteRankEntries(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                     PatternMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return {};
    tableMatcher.execute(kResultBlockPattern, pageText);
    return entriesOf(siteAddress, tableMatcher, entryMatcher,
                     [&](int n) { entryMatcher.execute(kAddressLinePattern, tableMatcher.matchText(n)); });
}

Text siteRankEntries(const Text& pageText, const Text& siteAddress)
{
    PatternMatcher tableMatcher;
    PatternMatcher entryMatcher;
    return siteRankEntries(pageText, siteAddress, tableMatcher, entryMatcher);
}

bool isResultPage(const Text& pageText, PatternMatcher& matcher)
{
    matcher.execute(kResultBlockPattern, pageText);
    return matcher.matchCount() > 0 || isNoResultsNotice(pageText);
}

bool isResultPage(const PageForm& page, PageMatcher& matcher)
{
    matcher.execute(kResultBlockPattern, page);
    return matcher.matchCount() > 0 || isNoResultsNotice(page.text());
}

Text notRankedText(int rangeIndex)
{
    return std::to_string((rangeIndex + 1) * 100) + gbk("名以后 :(");
}

Text rankFailedText()
{
    return gbk("查询失败");
}

int recordedRank(const Text& rankText)
{
    if (containsText(rankText, gbk("以后")))
        return 0;
    return leadingInteger(rankText);
}

} // namespace zv
