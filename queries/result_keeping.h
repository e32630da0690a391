#pragma once
// What a rank search keeps of each keyword's result pages beside the ranks:
// the first entries and the site's own, stored as the day's result list of
// every keyword whose search came to an end with an answer.

#include "readers/result_entries.h"
#include "text/text.h"

#include <vector>

namespace zv {

struct EngineProfile;
class PageForm;
class PageMatcher;
class QueryView;

class ResultKeeping
{
public:
    explicit ResultKeeping(const QueryView& view);

    // A keyword's search starts: what the previous one read is set aside.
    void startKeyword();
    // A result page of the keyword was read; the matchers hold its blocks
    // as siteRankEntries left them, siteEntries is what it gave.
    void readPage(const EngineProfile& engine, const PageForm& page, const Text& siteAddress, const Text& siteEntries,
                  const PageMatcher& tableMatcher, PageMatcher& entryMatcher);
    // The keyword's search ended with an answer: its list is kept.
    void finishKeyword(const Text& keyword);
    // Stores the kept lists as the day's, in one transaction; false when they
    // could not be stored.
    bool save(QueryView& view) const;

private:
    struct ReadList
    {
        Text keyword;
        std::vector<ResultEntry> entries;
    };
    int m_depth;
    std::vector<ResultEntry> m_current;
    std::vector<ReadList> m_lists;
};

} // namespace zv
