#pragma once
// The search engine's result pages as the rank search reads them: the address
// of each page, the site's positions on it, and the texts shown and recorded
// for a keyword.

#include "text/text.h"
#include "web/codepage.h"

#include <vector>

namespace zv {

struct EngineProfile;
class PageForm;
class PageMatcher;
class PatternMatcher;

// The forms without a profile read the built-in engine's pages
// (builtinEngineProfile()).

// Address of result page `page` (from 1) for keyword (GBK).
Text rankSearchAddress(const Text& keyword, int page);

// The entries of one result page that belong to the site: per result block at
// most one "position. " (home page) or "position " (other page). The page is
// read once into a page form and searched in place; a search keeps the form
// and the matchers from page to page. Reading stops at the first search that
// gives up at its limits: the matcher then says so (gaveUp()) and the entries
// are no reading of the page.
Text siteRankEntries(const PageForm& page, const Text& siteAddress, PageMatcher& tableMatcher,
                     PageMatcher& entryMatcher);
Text siteRankEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                     PageMatcher& tableMatcher, PageMatcher& entryMatcher);

// The address lines a reading found in one result block: its first line, and
// the first line that names the site (none when no line does).
struct BlockLines
{
    bool hasFirst = false;
    bool hasSite = false;
    PageRange first;
    PageRange site;
};
// The same, also handing each block's lines to whoever keeps entries, so no
// block is searched twice: lines gets one element per block read.
Text siteRankEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                     PageMatcher& tableMatcher, PageMatcher& entryMatcher, std::vector<BlockLines>& lines);
// The same over a page's GBK text, each block searched as a text of its own.
Text siteRankEntries(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                     PatternMatcher& entryMatcher);
Text siteRankEntries(const EngineProfile& engine, const Text& pageText, const Text& siteAddress,
                     PatternMatcher& tableMatcher, PatternMatcher& entryMatcher);
Text siteRankEntries(const Text& pageText, const Text& siteAddress);

// Whether the last reading with these matchers stopped at a search that gave
// up (the page was not read whole).
bool searchGaveUp(const PageMatcher& tableMatcher, const PageMatcher& entryMatcher);

// Whether a page is the engine's answer to a search: it holds a result
// block, or the engine's notice that nothing matched. A first page that is
// neither is no answer at all (a broken or foreign page).
bool isResultPage(const EngineProfile& engine, const PageForm& page, PageMatcher& matcher);

// Shown when no result of the site was found in (rangeIndex + 1) pages.
Text notRankedText(int rangeIndex);
// Shown when a result page of the keyword could not be fetched.
Text rankFailedText();
// Value recorded for a rank text: 0 for "not found", else its leading integer.
int recordedRank(const Text& rankText);

} // namespace zv
