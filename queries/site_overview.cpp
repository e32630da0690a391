#include "queries/site_overview.h"

#include "queries/query_support.h"
#include "readers/overview_page.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <array>
#include <string>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// The snapshot column holds at most 20 characters.
constexpr std::size_t kSnapshotColumnChars = 20;

// Each count figure: the page it is read from, the box it is shown in, the
// column it is recorded in.
struct CountColumn
{
    OverviewFigure figure;
    FigureBox box;
    const char* column;
};

constexpr std::array<CountColumn, 5> kCountColumns {{
    {OverviewFigure::Indexed, FigureBox::Indexed, "baidushoulu"},
    {OverviewFigure::Backlinks, FigureBox::Backlinks, "baidufanlian"},
    {OverviewFigure::IndexedToday, FigureBox::IndexedToday, "jinrishoulu"},
    {OverviewFigure::IndexedWeek, FigureBox::IndexedWeek, "zuijinyizhou"},
    {OverviewFigure::IndexedMonth, FigureBox::IndexedMonth, "zuijinyiyue"},
}};

Text currentSite(const QueryView& view)
{
    return toText(view.currentSite());
}

Text figureText(const QueryView& view, FigureBox box)
{
    return toText(view.figureText(box));
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

bool querySiteOverview(QueryView& view)
{
    const Text site = currentSite(view);
    PatternMatcher tableMatcher;
    PatternMatcher entryMatcher;
    bool anyPage = false;
    // The page of one figure as GBK text; false once the user has closed the
    // window, since a query cut short is not recorded.
    auto fetch = [&](OverviewFigure figure, Text& page) {
        view.beforeEngineRequest();
        const ByteBlock body = httpRequest(overviewAddress(figure, site));
        anyPage = anyPage || !body.empty();
        page = utf8ToGbk(body);
        return !view.isClosing();
    };

    if (view.isClosing())
        return false;
    Text page;
    view.setFigureText(FigureBox::Snapshot, u"无"_s);
    if (!fetch(OverviewFigure::Snapshot, page))
        return false;
    if (const auto snapshot = snapshotText(page, site, tableMatcher, entryMatcher))
        view.setFigureText(FigureBox::Snapshot, toQString(*snapshot));

    for (const CountColumn& count : kCountColumns) {
        if (!fetch(count.figure, page))
            return false;
        view.setFigureText(count.box, toQString(countText(count.figure, page, tableMatcher)));
    }

    if (!anyPage)
        view.setStatus(u"网站综合信息查询失败！"_s);
    return anyPage;
}

void saveTodayOverview(QueryView& view)
{
    const Text site = currentSite(view);
    if (site.empty()) {
        view.setStatus(u"网站地址为空,无法保存网站综合信息！"_s);
        return;
    }
    const Text siteTable = siteTableName(site);
    const Text table = overviewTableName(siteTable);
    if (!view.store().executeSql(createOverviewTableSql(siteTable)))
        view.setStatus(u"网站综合信息表创建失败！"_s);

    // The column holds 20 characters; a longer snapshot text is cut rather
    // than losing the whole day's row.
    const Text snapshot = leadingChars(figureText(view, FigureBox::Snapshot), kSnapshotColumnChars);
    std::array<int, 5> counts {};
    for (std::size_t i = 0; i < kCountColumns.size(); ++i)
        counts[i] = overviewNumber(figureText(view, kCountColumns[i].box));

    const bool saved
        = storeTodayRow(view.store(), table, [&](Store& store) { writeOverviewValues(store, snapshot, counts); });
    view.setStatus(saved ? u"保存当天网站综合信息成功！"_s : u"保存当天网站综合信息失败！"_s);
}

bool loadTodayOverview(QueryView& view)
{
    const Text site = currentSite(view);
    const Text siteTable = siteTableName(site);
    view.store().executeSql(createOverviewTableSql(siteTable));
    view.store().openRecordset(todayRowStatement(overviewTableName(siteTable)), SqlText);
    if (view.store().recordCount() == 0)
        return true;

    Text snapshot;
    view.store().readText(Field("baidukuaizhao"), snapshot);
    view.setFigureText(FigureBox::Snapshot, toQString(snapshot));
    for (const CountColumn& count : kCountColumns) {
        int value = 0;
        view.store().readInteger(Field(count.column), value);
        view.setFigureText(count.box, QString::number(value));
    }
    return false;
}

} // namespace zv
