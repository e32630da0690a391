#include "queries/rank_search.h"

#include "queries/query_support.h"
#include "queries/result_keeping.h"
#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <optional>
#include <string>
#include <vector>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

Text currentSite(const QueryView& view)
{
    return toText(view.currentSite());
}

} // namespace

void queryKeywordRanks(QueryView& view)
{
    const Text site = currentSite(view);
    if (site.empty()) {
        view.setStatus(u"请选择网站地址！"_s);
        return;
    }
    if (view.isClosing())
        return; // no new search once the user has closed the window
    BusyScope busy(view);
    ProgressScope progress(view);
    view.setStatus(u"搜索关键词排名中...."_s);

    const EngineProfile& engine = view.engineProfile() ? *view.engineProfile() : builtinEngineProfile();
    // One page form and its matchers serve every page of the search.
    PageForm page;
    PageMatcher tableMatcher;
    PageMatcher entryMatcher;
    ResultKeeping kept(view);

    for (int r = 0; r < view.keywordRowCount(); ++r)
        view.setCellText(r, KeywordColumn::Rank, QString());

    int failedKeywords = 0;
    bool verification = false;
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        const int pages = enginePageCount(engine, view.searchRangeIndex());
        Text rank;
        bool failed = false;
        kept.startKeyword();
        for (int p = 1; p <= pages; ++p) {
            const Text keyword = toText(view.cellText(r, KeywordColumn::Keyword));
            view.showProgress({r + 1, view.keywordRowCount(), p, pages});
            view.beforeEngineRequest();
            EngineAnswer answer = fetchEnginePage(engine, engineSearchAddress(engine, keyword, p), page);
            if (view.isClosing()) {
                // The user closed the window mid-search: record nothing half-done.
                return;
            }
            if (answer == EngineAnswer::Verification) {
                // Asking again only prolongs the block: the search ends here,
                // and this keyword and the rest are left without a value.
                verification = true;
                for (int rest = r; rest < view.keywordRowCount(); ++rest)
                    view.setCellText(rest, KeywordColumn::Rank, toQString(rankFailedText()));
                break;
            }
            // A first page that holds neither results nor the engine's "no
            // results" notice is not the engine's answer; later pages without
            // results are the end of the list. The blocks the site's entries
            // were read from already make a result page.
            Text found;
            if (answer == EngineAnswer::Page) {
                found = kept.keeps()
                    ? siteRankEntries(engine, page, site, tableMatcher, entryMatcher, kept.blockLines())
                    : siteRankEntries(engine, page, site, tableMatcher, entryMatcher);
                // A page the patterns gave up on was not read whole.
                if (searchGaveUp(tableMatcher, entryMatcher)) {
                    view.setStatus(pageTooComplexStatus());
                    found.clear();
                    answer = EngineAnswer::Failed;
                } else if (p == 1 && found.empty() && tableMatcher.matchCount() == 0
                           && !isResultPage(engine, page, tableMatcher)) {
                    answer = EngineAnswer::Failed;
                }
            }
            if (answer == EngineAnswer::Failed) {
                // An unreadable page says nothing about the positions on it.
                // Those found on earlier pages stand; without any, the
                // keyword is marked and today's value is left alone. The
                // remaining pages are still asked for, as in every search.
                if (rank.empty())
                    failed = true;
                continue;
            }
            kept.readPage(engine, page, site, found, tableMatcher);
            if (!found.empty()) {
                rank += found;
                view.setCellText(r, KeywordColumn::Rank, toQString(rank));
            }
        }
        if (verification)
            break;
        if (failed) {
            ++failedKeywords;
            view.setCellText(r, KeywordColumn::Rank, toQString(rankFailedText()));
            continue; // no list: it would read as "nobody ranked"
        }
        if (rank.empty())
            view.setCellText(r, KeywordColumn::Rank, toQString(notRankedText(view.searchRangeIndex())));
        kept.finishKeyword(toText(view.cellText(r, KeywordColumn::Keyword)));
    }

    QString finished
        = failedKeywords == 0 ? u"搜索完毕...."_s : u"搜索完毕，%1个关键词查询失败！"_s.arg(failedKeywords);
    if (verification)
        finished = u"搜索引擎要求安全验证，搜索已停止！"_s;
    view.setStatus(finished);
    saveTodayRanks(view);
    kept.save(view);
    // Keep the failures in sight unless the recording itself failed.
    if ((failedKeywords != 0 || verification) && view.statusText() == u"保存当天排名成功！"_s)
        view.setStatus(finished);
}

void saveTodayRanks(QueryView& view)
{
    const Text table = siteTableName(currentSite(view));
    // Rows whose search failed get no value in a new row of today and keep
    // whatever today's row already holds.
    std::vector<std::optional<int>> values;
    const Text failed = rankFailedText();
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        const Text rank = toText(view.cellText(r, KeywordColumn::Rank));
        if (rank == failed)
            values.emplace_back();
        else
            values.emplace_back(recordedRank(rank));
    }
    const bool saved = storeTodayRow(view.store(), table, [&values](Store& store, bool newRow) {
        for (std::size_t r = 0; r < values.size(); ++r) {
            const Field column(static_cast<int>(r) + 2);
            if (values[r])
                store.writeInteger(column, *values[r]);
            else if (newRow)
                store.writeNull(column);
        }
    });
    view.setStatus(saved ? u"保存当天排名成功！"_s : u"保存当天排名失败！"_s);
}

void showTodayRanks(QueryView& view)
{
    const Text site = currentSite(view);
    if (site.empty()) {
        queryKeywordRanks(view); // reports the missing site
        return;
    }
    const Text table = siteTableName(site);
    // A rank table that cannot be read has been reported by the store; a
    // search could not be recorded either.
    if (!view.store().openRecordset(todayRowStatement(table), SqlText))
        return;
    if (view.store().recordCount() != 1) {
        queryKeywordRanks(view);
        return;
    }
    const Text zero = "0";
    const Text shownForZero = notRankedText(0);
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        Text value;
        view.store().readText(Field(r + 2), value);
        // No value: the day's search of the keyword failed.
        if (view.store().isNull(Field(r + 2)))
            value = rankFailedText();
        view.setCellText(r, KeywordColumn::Rank, toQString(value == zero ? shownForZero : value));
    }
}

} // namespace zv
