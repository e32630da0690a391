#include "queries/site_overview.h"

#include "app/constants.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "queries/query_support.h"
#include "store/schema.h"
#include "store/store.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <QComboBox>
#include <QLabel>

#include <array>
#include <string>

namespace zv {

namespace {

constexpr char kResultBlockPattern[] = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
constexpr char kSnapshotLinePattern[] = "<span class=.g.>.*?</b>/(.*?)</span>";

// The snapshot column holds at most 20 characters.
constexpr std::size_t kSnapshotColumnChars = 20;

struct CountColumn
{
    OverviewFigure figure;
    const char* column;
};

constexpr std::array<CountColumn, 5> kCountColumns {{
    {OverviewFigure::Indexed, "baidushoulu"},
    {OverviewFigure::Backlinks, "baidufanlian"},
    {OverviewFigure::IndexedToday, "jinrishoulu"},
    {OverviewFigure::IndexedWeek, "zuijinyizhou"},
    {OverviewFigure::IndexedMonth, "zuijinyiyue"},
}};

QLabel* figureLabel(const MainWindow& window, OverviewFigure figure)
{
    switch (figure) {
    case OverviewFigure::Snapshot:
        return window.标签_百度快照;
    case OverviewFigure::Indexed:
        return window.标签_总收录;
    case OverviewFigure::Backlinks:
        return window.标签_百度反链;
    case OverviewFigure::IndexedToday:
        return window.标签_今日收录;
    case OverviewFigure::IndexedWeek:
        return window.标签_最近一周收录;
    case OverviewFigure::IndexedMonth:
        return window.标签_最近一月收录;
    }
    return nullptr;
}

Text currentSite(const MainWindow& window)
{
    return toText(window.组合框_网站列表->currentText());
}

Text labelText(const QLabel* label)
{
    return toText(label->text());
}

// The first `limit` whole characters of s.
Text leadingChars(const Text& s, std::size_t limit)
{
    std::size_t i = 0;
    for (std::size_t n = 0; n < limit && i < s.size(); ++n)
        i += charLength(s, i);
    return s.substr(0, i);
}

void writeOverviewValues(Store& store, const Text& snapshot, const std::array<int, 5>& counts)
{
    store.writeText(Field("baidukuaizhao"), snapshot);
    for (std::size_t i = 0; i < kCountColumns.size(); ++i)
        store.writeInteger(Field(kCountColumns[i].column), counts[i]);
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

bool querySiteOverview(MainWindow& window)
{
    const Text site = currentSite(window);
    PatternMatcher tableMatcher;
    PatternMatcher entryMatcher;
    bool anyPage = false;
    // The page of one figure as GBK text; false once the user has closed the
    // window, since a query cut short is not recorded.
    auto fetch = [&](OverviewFigure figure, Text& page) {
        const ByteBlock body = httpRequest(overviewAddress(figure, site));
        anyPage = anyPage || !body.empty();
        page = utf8ToGbk(body);
        return !window.isClosing();
    };

    if (window.isClosing())
        return false;
    Text page;
    window.标签_百度快照->setText(QStringLiteral("无"));
    if (!fetch(OverviewFigure::Snapshot, page))
        return false;
    if (const auto snapshot = snapshotText(page, site, tableMatcher, entryMatcher))
        window.标签_百度快照->setText(toQString(*snapshot));

    for (const CountColumn& count : kCountColumns) {
        if (!fetch(count.figure, page))
            return false;
        figureLabel(window, count.figure)->setText(toQString(countText(count.figure, page, tableMatcher)));
    }

    if (!anyPage)
        window.setStatus(QStringLiteral("网站综合信息查询失败！"));
    return anyPage;
}

void saveTodayOverview(MainWindow& window)
{
    const Text site = currentSite(window);
    if (site.empty()) {
        window.setStatus(QStringLiteral("网站地址为空,无法保存网站综合信息！"));
        return;
    }
    const Text siteTable = siteTableName(site);
    const Text table = overviewTableName(siteTable);
    if (!window.store.executeSql(createOverviewTableSql(siteTable)))
        window.setStatus(QStringLiteral("网站综合信息表创建失败！"));

    // The column holds 20 characters; a longer snapshot text is cut rather
    // than losing the whole day's row.
    const Text snapshot = leadingChars(labelText(window.标签_百度快照), kSnapshotColumnChars);
    std::array<int, 5> counts {};
    for (std::size_t i = 0; i < kCountColumns.size(); ++i)
        counts[i] = overviewNumber(labelText(figureLabel(window, kCountColumns[i].figure)));

    const bool saved
        = storeTodayRow(window.store, table, [&](Store& store) { writeOverviewValues(store, snapshot, counts); });
    window.setStatus(saved ? QStringLiteral("保存当天网站综合信息成功！")
                           : QStringLiteral("保存当天网站综合信息失败！"));
}

bool loadTodayOverview(MainWindow& window)
{
    const Text site = currentSite(window);
    const Text siteTable = siteTableName(site);
    window.store.executeSql(createOverviewTableSql(siteTable));
    window.store.openRecordset(todayRowStatement(overviewTableName(siteTable)), SqlText);
    if (window.store.recordCount() == 0)
        return true;

    Text snapshot;
    window.store.readText(Field("baidukuaizhao"), snapshot);
    window.标签_百度快照->setText(toQString(snapshot));
    for (const CountColumn& count : kCountColumns) {
        int value = 0;
        window.store.readInteger(Field(count.column), value);
        figureLabel(window, count.figure)->setText(QString::number(value));
    }
    return false;
}

} // namespace zv
