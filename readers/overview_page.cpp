#include "readers/overview_page.h"

#include "readers/constants.h"
#include "readers/fixed_text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

namespace zv {

namespace {

constexpr char kResultBlockPattern[] = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
constexpr char kSnapshotLinePattern[] = "<span class=.g.>.*?</b>/(.*?)</span>";

// The snapshot date once the block pattern has run: searchLines(n) runs the
// snapshot-line pattern over block n.
template <typename Matcher, typename SearchLines>
std::optional<Text> snapshotOf(const Text& siteAddress, const Matcher& tableMatcher, const Matcher& entryMatcher,
                               SearchLines searchLines)
{
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        searchLines(n);
        if (entryMatcher.gaveUp())
            break;
        const int lines = entryMatcher.matchCount();
        for (int m = 1; m <= lines; ++m) {
            if (containsText(entryMatcher.matchText(m), siteAddress))
                return entryMatcher.subMatchText(m, 1);
        }
    }
    return std::nullopt;
}

const Text& countPattern(OverviewFigure figure)
{
    static const Text backlinks = gbk("<span class=.nums.*?百度为您找到相关结果(.*?)个</span>");
    static const Text others = gbk("找到相关结果数(.*?)个");
    return figure == OverviewFigure::Backlinks ? backlinks : others;
}

// The count captured by countPattern(figure), "约" removed for backlinks.
template <typename Matcher> Text countOf(OverviewFigure figure, const Matcher& matcher)
{
    if (figure == OverviewFigure::Backlinks)
        return replaceAll(matcher.subMatchText(1, 1), gbk("约"), "");
    return matcher.subMatchText(1, 1);
}

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

std::optional<Text> snapshotText(const PageForm& page, const Text& siteAddress, PageMatcher& tableMatcher,
                                 PageMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return std::nullopt;
    tableMatcher.execute(kResultBlockPattern, page);
    return snapshotOf(siteAddress, tableMatcher, entryMatcher,
                      [&](int n) { entryMatcher.execute(kSnapshotLinePattern, page, tableMatcher.matchRange(n)); });
}

std::optional<Text> snapshotText(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                                 PatternMatcher& entryMatcher)
{
    if (siteAddress.empty())
        return std::nullopt;
    tableMatcher.execute(kResultBlockPattern, pageText);
    return snapshotOf(siteAddress, tableMatcher, entryMatcher,
                      [&](int n) { entryMatcher.execute(kSnapshotLinePattern, tableMatcher.matchText(n)); });
}

Text countText(OverviewFigure figure, const PageForm& page, PageMatcher& matcher)
{
    matcher.execute(countPattern(figure), page);
    return countOf(figure, matcher);
}

Text countText(OverviewFigure figure, const Text& pageText, PatternMatcher& matcher)
{
    matcher.execute(countPattern(figure), pageText);
    return countOf(figure, matcher);
}

int overviewNumber(const Text& shown)
{
    return leadingInteger(replaceAll(shown, ",", ""));
}

} // namespace zv
