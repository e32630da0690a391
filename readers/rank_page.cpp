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

} // namespace

Text rankSearchAddress(const Text& keyword, int page)
{
    return "http://" + Text(kSearchHost) + "/s?wd=" + urlEncode(keyword, true, true)
        + "&pn=" + std::to_string((page - 1) * 100) + "&rn=100&ie=utf-8";
}

Text siteRankEntries(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                     PatternMatcher& entryMatcher)
{
    Text entries;
    if (siteAddress.empty())
        return entries;
    const Text homePageMark = siteAddress + "/ ";
    tableMatcher.execute(kResultBlockPattern, pageText);
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        entryMatcher.execute(kAddressLinePattern, tableMatcher.matchText(n));
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
