#include "queries/rank_search.h"

#include "app/constants.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "queries/query_support.h"
#include "store/store.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <QComboBox>

#include <optional>
#include <string>
#include <vector>

namespace zv {

namespace {

// One result block per match; group 1 is the block's id, the result's position.
constexpr char kResultBlockPattern[] = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
// The displayed-address line of a result.
constexpr char kAddressLinePattern[] = "<span class=.g.>.*?</span>";

constexpr int kKeywordColumn = 2;
constexpr int kRankColumn = 4;

Text currentSite(const MainWindow& window)
{
    return toText(window.组合框_网站列表->currentText());
}

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

void queryKeywordRanks(MainWindow& window)
{
    const Text site = currentSite(window);
    if (site.empty()) {
        window.setStatus(QStringLiteral("请选择网站地址！"));
        return;
    }
    if (window.isClosing())
        return; // no new search once the user has closed the window
    window.enterBusyState();
    window.setStatus(QStringLiteral("搜索关键词排名中...."));

    PatternMatcher tableMatcher;
    PatternMatcher entryMatcher;

    for (int r = 0; r < window.keywordRowCount(); ++r)
        window.setCellText(r, kRankColumn, QString());

    int failedKeywords = 0;
    for (int r = 0; r < window.keywordRowCount(); ++r) {
        const int pages = window.组合框_搜索范围->currentIndex() + 1;
        Text rank;
        bool failed = false;
        for (int p = 1; p <= pages; ++p) {
            const Text keyword = toText(window.cellText(r, kKeywordColumn));
            const ByteBlock body = httpRequest(rankSearchAddress(keyword, p));
            if (window.isClosing()) {
                // The user closed the window mid-search: record nothing half-done.
                window.leaveBusyState();
                return;
            }
            if (body.empty()) {
                // An unreadable page says nothing about the site's position;
                // the keyword is marked and today's value is left alone. The
                // remaining pages are still asked for, as in every search.
                failed = true;
                continue;
            }
            const Text found = siteRankEntries(utf8ToGbk(body), site, tableMatcher, entryMatcher);
            if (!found.empty()) {
                rank += found;
                window.setCellText(r, kRankColumn, toQString(rank));
            }
        }
        if (failed) {
            ++failedKeywords;
            window.setCellText(r, kRankColumn, toQString(rankFailedText()));
        } else if (rank.empty()) {
            window.setCellText(r, kRankColumn, toQString(notRankedText(window.组合框_搜索范围->currentIndex())));
        }
    }

    const QString finished = failedKeywords == 0 ? QStringLiteral("搜索完毕....")
                                                 : QStringLiteral("搜索完毕，%1个关键词查询失败！").arg(failedKeywords);
    window.setStatus(finished);
    saveTodayRanks(window);
    // Keep the failures in sight unless the recording itself failed.
    if (failedKeywords != 0 && window.statusText() == QStringLiteral("保存当天排名成功！"))
        window.setStatus(finished);
    window.leaveBusyState();
}

void saveTodayRanks(MainWindow& window)
{
    const Text table = siteTableName(currentSite(window));
    // Rows whose search failed keep whatever today's row already holds.
    std::vector<std::optional<int>> values;
    const Text failed = rankFailedText();
    for (int r = 0; r < window.keywordRowCount(); ++r) {
        const Text rank = toText(window.cellText(r, kRankColumn));
        if (rank == failed)
            values.emplace_back();
        else
            values.emplace_back(recordedRank(rank));
    }
    const bool saved = storeTodayRow(window.store, table, [&values](Store& store) {
        for (std::size_t r = 0; r < values.size(); ++r) {
            if (values[r])
                store.writeInteger(Field(static_cast<int>(r) + 2), *values[r]);
        }
    });
    window.setStatus(saved ? QStringLiteral("保存当天排名成功！") : QStringLiteral("保存当天排名失败！"));
}

void showTodayRanks(MainWindow& window)
{
    const Text site = currentSite(window);
    if (site.empty()) {
        queryKeywordRanks(window); // reports the missing site
        return;
    }
    const Text table = siteTableName(site);
    // A rank table that cannot be read has been reported by the store; a
    // search could not be recorded either.
    if (!window.store.openRecordset(todayRowStatement(table), SqlText))
        return;
    if (window.store.recordCount() != 1) {
        queryKeywordRanks(window);
        return;
    }
    const Text zero = "0";
    const Text shownForZero = notRankedText(0);
    for (int r = 0; r < window.keywordRowCount(); ++r) {
        Text value;
        window.store.readText(Field(r + 2), value);
        window.setCellText(r, kRankColumn, toQString(value == zero ? shownForZero : value));
    }
}

} // namespace zv
