#include "queries/result_keeping.h"

#include "store/result_lists.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"

#include <algorithm>

namespace zv {

ResultKeeping::ResultKeeping(const QueryView& view)
    : m_depth(
        view.resultListDepth() == 0 ? 0 : std::clamp(view.resultListDepth(), kMinResultListDepth, kMaxResultListDepth))
{
}

void ResultKeeping::startKeyword()
{
    m_current.clear();
}

void ResultKeeping::readPage(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                             const Text& siteEntries, const PageMatcher& tableMatcher)
{
    if (m_depth == 0)
        return;
    std::vector<ResultEntry> read
        = resultEntries(engine, page, siteAddress, siteEntries, tableMatcher, m_lines, m_depth);
    m_current.insert(m_current.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
}

void ResultKeeping::finishKeyword(const Text& keyword)
{
    if (m_depth == 0)
        return;
    m_lists.push_back({keyword, std::move(m_current)});
    m_current.clear();
}

bool ResultKeeping::save(QueryView& view) const
{
    if (m_lists.empty())
        return true;
    const Text table = siteTableName(toText(view.currentSite()));
    const Text day = toText(view.today().toString(Qt::ISODate));
    std::vector<resultLists::KeywordList> lists;
    lists.reserve(m_lists.size());
    for (const ReadList& read : m_lists) {
        resultLists::KeywordList& list = lists.emplace_back();
        list.keyword = read.keyword;
        list.entries.reserve(read.entries.size());
        for (const ResultEntry& e : read.entries)
            list.entries.push_back({e.position, e.address, e.host, e.own});
    }
    const bool saved = resultLists::recordDay(view.store(), table, day, lists);
    view.resultListsKept();
    return saved;
}

} // namespace zv
