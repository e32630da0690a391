#include "queries/site_overview.h"

#include "queries/query_support.h"
#include "readers/overview_page.h"
#include "readers/rank_page.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

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

// A figure whose page failed: no value in a new row of today, today's row
// otherwise keeps what it holds.
void writeFigure(Store& store, const Field& column, const std::optional<Text>& text, bool newRow)
{
    if (text)
        store.writeText(column, *text);
    else if (newRow)
        store.writeNull(column);
}

void writeFigure(Store& store, const Field& column, const std::optional<int>& value, bool newRow)
{
    if (value)
        store.writeInteger(column, *value);
    else if (newRow)
        store.writeNull(column);
}

QString failedText()
{
    return toQString(rankFailedText());
}

} // namespace

bool querySiteOverview(QueryView& view)
{
    const Text site = currentSite(view);
    // One page form and its matchers for the six pages, each page searched in
    // place.
    PageForm page;
    PageMatcher tableMatcher;
    PageMatcher entryMatcher;
    bool anyPage = false;
    bool verification = false;
    // Reads the page of one figure into the form; false when it failed, and
    // always once the engine has asked for its security check (nothing more
    // is asked of it in this query).
    auto fetch = [&](OverviewFigure figure) {
        if (verification)
            return false;
        view.beforeEngineRequest();
        const EngineAnswer answer = fetchEnginePage(overviewAddress(figure, site), page);
        verification = answer == EngineAnswer::Verification;
        if (answer != EngineAnswer::Page)
            return false;
        anyPage = true;
        return true;
    };

    // Boxes whose page failed show "无" or nothing meanwhile; once another
    // page has been read they show the failure (with none read, the query
    // failed as a whole and is not recorded).
    std::vector<FigureBox> failed;
    if (view.isClosing())
        return false;
    view.setFigureText(FigureBox::Snapshot, u"无"_s);
    const bool snapshotRead = fetch(OverviewFigure::Snapshot);
    // A query cut short by closing the window is not recorded.
    if (view.isClosing())
        return false;
    // A page the patterns gave up on before they found the figure was not
    // read whole: that figure failed.
    auto gaveUp = [&view](bool stopped) {
        if (stopped)
            view.setStatus(pageTooComplexStatus());
        return stopped;
    };
    if (!snapshotRead) {
        failed.push_back(FigureBox::Snapshot);
    } else if (const auto snapshot = snapshotText(page, site, tableMatcher, entryMatcher)) {
        view.setFigureText(FigureBox::Snapshot, toQString(*snapshot));
    } else if (gaveUp(searchGaveUp(tableMatcher, entryMatcher))) {
        failed.push_back(FigureBox::Snapshot);
    }

    for (const CountColumn& count : kCountColumns) {
        bool read = fetch(count.figure);
        if (view.isClosing())
            return false;
        const Text shown = read ? countText(count.figure, page, tableMatcher) : Text();
        if (read && shown.empty() && gaveUp(tableMatcher.gaveUp()))
            read = false;
        if (!read)
            failed.push_back(count.box);
        view.setFigureText(count.box, read ? toQString(shown) : QString());
    }

    if (!anyPage) {
        view.setStatus(u"网站综合信息查询失败！"_s);
        return false;
    }
    for (const FigureBox box : failed)
        view.setFigureText(box, failedText());
    return true;
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
    // A figure shown as failed is recorded as no value.
    const Text failed = rankFailedText();
    std::optional<Text> snapshot;
    if (figureText(view, FigureBox::Snapshot) != failed)
        snapshot = leadingChars(figureText(view, FigureBox::Snapshot), kSnapshotColumnChars);
    std::array<std::optional<int>, 5> counts {};
    for (std::size_t i = 0; i < kCountColumns.size(); ++i) {
        const Text shown = figureText(view, kCountColumns[i].box);
        if (shown != failed)
            counts[i] = overviewNumber(shown);
    }

    const bool saved = storeTodayRow(view.store(), table, [&](Store& store, bool newRow) {
        writeFigure(store, Field("baidukuaizhao"), snapshot, newRow);
        for (std::size_t i = 0; i < kCountColumns.size(); ++i)
            writeFigure(store, Field(kCountColumns[i].column), counts[i], newRow);
    });
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

    // No value: that figure's page failed the day it was recorded.
    Store& store = view.store();
    Text snapshot;
    store.readText(Field("baidukuaizhao"), snapshot);
    view.setFigureText(FigureBox::Snapshot, store.isNull(Field("baidukuaizhao")) ? failedText() : toQString(snapshot));
    for (const CountColumn& count : kCountColumns) {
        int value = 0;
        store.readInteger(Field(count.column), value);
        view.setFigureText(count.box, store.isNull(Field(count.column)) ? failedText() : QString::number(value));
    }
    return false;
}

} // namespace zv
