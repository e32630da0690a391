#include "app/daily_check.h"

#include "app/keyword_list.h"
#include "app/previous_ranks.h"
#include "app/windowless_view.h"
#include "queries/keyword_index.h"
#include "queries/query_support.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "readers/rank_page.h"
#include "store/result_lists.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"

#include <algorithm>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// The status texts of the sequence that tell of a failure. Others that sound
// like one are not: the overview table's creation fails on every day but the
// first, and the status moves on.
bool isFailureStatus(const QString& text)
{
    static const QStringList failures {
        u"关键词数据表打开失败！"_s,   u"网站综合信息查询失败！"_s,   u"保存当天网站综合信息失败！"_s,
        u"保存当天排名失败！"_s,       u"打开百度指数数据表失败！"_s, u"列表框图片组为空！"_s,
        u"更新关键字百度指数失败！"_s,
    };
    return failures.contains(text) || text == pageTooComplexStatus();
}

// The last status of a rank search that the engine's security check stopped.
const QString& verificationStatus()
{
    static const QString text = u"搜索引擎要求安全验证，搜索已停止！"_s;
    return text;
}

// What a figure box shows when its page could not be read.
const QString& failedFigureText()
{
    static const QString text = u"查询失败"_s;
    return text;
}

bool ranksRecordedToday(Store& store, const Text& table)
{
    const bool recorded = store.openRecordset(todayRowStatement(table), SqlText) && store.recordCount() == 1;
    store.closeRecordset();
    return recorded;
}

QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

} // namespace

int SiteOutcome::failedKeywords() const
{
    return static_cast<int>(
        std::count_if(keywords.begin(), keywords.end(), [](const KeywordOutcome& k) { return !k.value; }));
}

bool SiteOutcome::failed() const
{
    return verificationStop || !problems.isEmpty() || failedIndexPictures > 0 || failedKeywords() > 0;
}

SiteOutcome checkSite(WindowlessView& view, const QString& address, const CheckRequest& request)
{
    SiteOutcome outcome;
    outcome.site = address;
    view.chooseSite(address);
    const Text table = siteTableName(toText(address));
    if (!request.again && ranksRecordedToday(view.store(), table)) {
        outcome.skipped = true;
        return outcome;
    }

    {
        BusyScope busy(view);
        loadKeywordRows(view);
        // Today's figures are queried once a day, unless asked again.
        if ((request.again || loadTodayOverview(view)) && querySiteOverview(view))
            saveTodayOverview(view);
        queryKeywordRanks(view);
        if (request.index)
            queryKeywordIndexes(view);
    }

    for (const QString& status : view.statusLog()) {
        if (status == verificationStatus())
            outcome.verificationStop = true;
        else if (isFailureStatus(status) && !outcome.problems.contains(status))
            outcome.problems.append(status);
    }
    for (FigureBox box : {FigureBox::Snapshot, FigureBox::Indexed, FigureBox::Backlinks, FigureBox::IndexedToday,
                          FigureBox::IndexedWeek, FigureBox::IndexedMonth}) {
        if (view.figureText(box) == failedFigureText()) {
            outcome.problems.append(u"网站综合信息查询失败！"_s);
            break;
        }
    }
    if (const IndexPictureList* pictures = view.indexPictures(); request.index && pictures) {
        outcome.failedIndexPictures = static_cast<int>(
            std::count_if(pictures->begin(), pictures->end(), [](const IndexPicture& p) { return !p.storable; }));
    }

    const QString failedRank = toQString(rankFailedText());
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        KeywordOutcome keyword;
        keyword.keyword = view.cellText(r, KeywordColumn::Keyword);
        keyword.rank = withoutTrailingBlanks(view.cellText(r, KeywordColumn::Rank));
        // A keyword the search never reached shows nothing and records nothing.
        if (!keyword.rank.isEmpty() && keyword.rank != failedRank)
            keyword.value = recordedRank(toText(keyword.rank));
        outcome.keywords.push_back(keyword);
    }
    const std::vector<PreviousRank> previous = previousRanks(view.store(), table, outcome.keywords.size());
    for (std::size_t r = 0; r < previous.size(); ++r) {
        outcome.keywords[r].previous = previous[r].value;
        outcome.keywords[r].previousDay = previous[r].day;
    }
    const std::map<Text, LandingPage> landings
        = resultLists::landingPages(view.store(), table, toText(view.today().toString(Qt::ISODate)));
    for (KeywordOutcome& keyword : outcome.keywords) {
        if (const auto found = landings.find(toText(keyword.keyword)); found != landings.end())
            keyword.landingChanged = found->second.changed;
    }
    outcome.problems.removeDuplicates();
    return outcome;
}

} // namespace zv
