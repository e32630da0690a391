#include "readers/overview_page.h"

#include "readers/constants.h"
#include "readers/fixed_text.h"
#include "web/pattern_matcher.h"

namespace zv {

namespace {

constexpr char kResultBlockPattern[] = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
constexpr char kSnapshotLinePattern[] = "<span class=.g.>.*?</b>/(.*?)</span>";

} // namespace

Text overviewAddress(OverviewFigure figure, const Text& site)
{
    Text term;
    switch (figure) {
    case OverviewFigure::Snapshot:
        term = "http://" + site;
        break;
    case OverviewFigure::Indexed:
        term = "site%3A" + site;
        break;
    case OverviewFigure::Backlinks:
        term = "domain%3A" + site;
        break;
    case OverviewFigure::IndexedToday:
        term = "site%3A" + site + "&lm=1";
        break;
    case OverviewFigure::IndexedWeek:
        term = "site%3A" + site + "&lm=7";
        break;
    case OverviewFigure::IndexedMonth:
        term = "site%3A" + site + "&lm=30";
        break;
    }
    return "http://" + Text(kSearchHost) + "/s?wd=" + term;
}

std::optional<Text> snapshotText(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                                 PatternMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return std::nullopt;
    tableMatcher.execute(kResultBlockPattern, pageText);
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        entryMatcher.execute(kSnapshotLinePattern, tableMatcher.matchText(n));
        const int lines = entryMatcher.matchCount();
        for (int m = 1; m <= lines; ++m) {
            if (containsText(entryMatcher.matchText(m), siteAddress))
                return entryMatcher.subMatchText(m, 1);
        }
    }
    return std::nullopt;
}

Text countText(OverviewFigure figure, const Text& pageText, PatternMatcher& matcher)
{
    if (figure == OverviewFigure::Backlinks) {
        matcher.execute(gbk("<span class=.nums.*?百度为您找到相关结果(.*?)个</span>"), pageText);
        return replaceAll(matcher.subMatchText(1, 1), gbk("约"), "");
    }
    matcher.execute(gbk("找到相关结果数(.*?)个"), pageText);
    return matcher.subMatchText(1, 1);
}

int overviewNumber(const Text& shown)
{
    return leadingInteger(replaceAll(shown, ",", ""));
}

} // namespace zv
