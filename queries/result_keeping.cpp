#include "queries/result_keeping.h"

#include "store/result_lists.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"

#include <algorithm>

namespace zv {

ResultKeeping::ResultKeeping(const QueryView& view)
    : m_depth(std::clamp(view.resultListDepth(), kMinResultListDepth, kMaxResultListDepth))
{
}

void ResultKeeping::startKeyword()
{
    m_current.clear();
}

void ResultKeeping::readPage(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                             const Text& siteEntries, const PageMatcher& tableMatcher, PageMatcher& entryMatcher)
{
    std::vector<ResultEntry> read
        = resultEntries(engine, page, siteAddress, siteEntries, tableMatcher, entryMatcher, m_depth);
    m_current.insert(m_current.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
}

void ResultKeeping::finishKeyword(const Text& keyword)
{
    m_lists.push_back({keyword, std::move(m_current)});
    m_current.clear();
}

bool ResultKeeping::save(QueryView& view) const
{
    if (m_lists.empty())
        return true;
    const Text table = siteTableName(toText(view.currentSite()));
    const Text day = toText(view.today().toString(Qt::ISODate));
    bool saved = true;
    for (const KeywordList& list : m_lists) {
        std::vector<KeptEntry> kept;
        kept.reserve(list.entries.size());
        for (const ResultEntry& e : list.entries)
            kept.push_back({e.position, e.address, e.host, e.own});
        saved = resultLists::record(view.store(), table, list.keyword, day, kept) && saved;
    }
    view.resultListsKept();
    return saved;
}

} // namespace zv
