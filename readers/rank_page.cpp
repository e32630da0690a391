#include "readers/rank_page.h"

#include "readers/constants.h"
#include "readers/engine_page.h"
#include "readers/engine_profile.h"
#include "readers/fixed_text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <string>

namespace zv {

namespace {

// The site's entries once the block pattern has run: searchLines(n) runs the
// address-line pattern over block n; lineFound(m, siteLine) is told of the
// block's first line (m == 1) and of the line that names the site.
template <typename Matcher, typename SearchLines, typename LineFound>
Text entriesOf(const EngineProfile& engine, const Text& siteAddress, const Matcher& tableMatcher,
               const Matcher& entryMatcher, SearchLines searchLines, LineFound lineFound)
{
    Text entries;
    const Text homePage = homePageMark(engine, siteAddress);
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        searchLines(n);
        if (entryMatcher.gaveUp())
            break;
        const int lines = entryMatcher.matchCount();
        if (lines > 0)
            lineFound(1, false);
        for (int m = 1; m <= lines; ++m) {
            const Text line = entryMatcher.matchText(m);
            if (!containsText(line, siteAddress))
                continue;
            lineFound(m, true);
            entries += tableMatcher.subMatchText(n, engine.positionGroup);
            entries += containsText(line, homePage) ? ". " : " ";
            break;
        }
    }
    return entries;
}

} // namespace

Text rankSearchAddress(const Text& keyword, int page)
{
    return engineSearchAddress(builtinEngineProfile(), keyword, page);
}

Text siteRankEntries(const PageForm& page, const Text& siteAddress, PageMatcher& tableMatcher,
                     PageMatcher& entryMatcher)
{
    return siteRankEntries(builtinEngineProfile(), page, siteAddress, tableMatcher, entryMatcher);
}

Text siteRankEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                     PageMatcher& tableMatcher, PageMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return {};
    tableMatcher.execute(engine.resultBlock, page);
    return entriesOf(
        engine, siteAddress, tableMatcher, entryMatcher,
        [&](int n) { entryMatcher.execute(engine.addressLine, page, tableMatcher.matchRange(n)); }, [](int, bool) {});
}

Text siteRankEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                     PageMatcher& tableMatcher, PageMatcher& entryMatcher, std::vector<BlockLines>& lines)
{
    lines.clear();
    if (siteAddress.empty())
        return {};
    tableMatcher.execute(engine.resultBlock, page);
    return entriesOf(
        engine, siteAddress, tableMatcher, entryMatcher,
        [&](int n) {
            entryMatcher.execute(engine.addressLine, page, tableMatcher.matchRange(n));
            lines.emplace_back();
        },
        [&](int m, bool siteLine) {
            BlockLines& block = lines.back();
            if (siteLine) {
                block.hasSite = true;
                block.site = entryMatcher.matchRange(m);
            } else {
                block.hasFirst = true;
                block.first = entryMatcher.matchRange(m);
            }
        });
}

Text siteRankEntries(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                     PatternMatcher& entryMatcher)
{
    return siteRankEntries(builtinEngineProfile(), pageText, siteAddress, tableMatcher, entryMatcher);
}

Text siteRankEntries(const EngineProfile& engine, const Text& pageText, const Text& siteAddress,
                     PatternMatcher& tableMatcher, PatternMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return {};
    tableMatcher.execute(engine.resultBlock, pageText);
    return entriesOf(
        engine, siteAddress, tableMatcher, entryMatcher,
        [&](int n) { entryMatcher.execute(engine.addressLine, tableMatcher.matchText(n)); }, [](int, bool) {});
}

Text siteRankEntries(const Text& pageText, const Text& siteAddress)
{
    PatternMatcher tableMatcher;
    PatternMatcher entryMatcher;
    return siteRankEntries(pageText, siteAddress, tableMatcher, entryMatcher);
}

bool searchGaveUp(const PageMatcher& tableMatcher, const PageMatcher& entryMatcher)
{
    return tableMatcher.gaveUp() || entryMatcher.gaveUp();
}

bool isResultPage(const EngineProfile& engine, const PageForm& page, PageMatcher& matcher)
{
    matcher.execute(engine.resultBlock, page);
    return matcher.matchCount() > 0 || isNoResultsNotice(engine, page.text());
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
