#pragma once
// What a rank search keeps of each keyword's result pages beside the ranks:
// the first entries and the site's own, stored as the day's result list of
// every keyword whose search came to an end with an answer.

#include "readers/rank_page.h"
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
    // Whether entries are kept at all: without, the pages are read for the
    // ranks alone.
    bool keeps() const { return m_depth != 0; }
    // Where siteRankEntries hands each block's address lines for readPage.
    std::vector<BlockLines>& blockLines() { return m_lines; }
    // A result page of the keyword was read; tableMatcher holds its blocks
    // and blockLines() their lines as siteRankEntries left them, siteEntries
    // is what it gave.
    void readPage(const EngineProfile& engine, const PageForm& page, const Text& siteAddress, const Text& siteEntries,
                  const PageMatcher& tableMatcher);
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
    std::vector<BlockLines> m_lines;
    std::vector<ReadList> m_lists;
};

} // namespace zv
