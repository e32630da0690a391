#pragma once
// The entries of a result page beyond the site's positions: for each result
// block, its position, its displayed address and host, and whether it is the
// site's. A rank search keeps the first ones of each keyword and every one of
// the site's, to show later who stood where.

#include "text/text.h"

#include <vector>

namespace zv {

struct BlockLines;
struct EngineProfile;
class PageForm;
class PageMatcher;

struct ResultEntry
{
    int position = 0;
    Text address;
    Text host;
    bool own = false;
};

// The entries of the page's blocks at positions up to depth, and of every
// block of the site beyond. tableMatcher holds the page's blocks as
// siteRankEntries left it; siteEntries is what siteRankEntries gave for the
// page (the site's positions). The address line of a block is the site's
// line when the block is the site's, else its first line.
std::vector<ResultEntry> resultEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                                       const Text& siteEntries, const PageMatcher& tableMatcher,
                                       PageMatcher& entryMatcher, int depth);
// The same from the lines siteRankEntries handed out for the page's blocks,
// without searching any block again.
std::vector<ResultEntry> resultEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                                       const Text& siteEntries, const PageMatcher& tableMatcher,
                                       const std::vector<BlockLines>& lines, int depth);

// An address line as a reader sees it: mark-up removed, and only the address,
// without the snapshot date the engine shows after a blank.
Text displayedAddress(const Text& line);
// The text of an address before its first "/", letters lowered.
Text addressHost(const Text& address);

} // namespace zv
