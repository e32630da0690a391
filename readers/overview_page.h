#pragma once
// The search engine's pages as the site overview reads them: one address per
// figure, the snapshot date and the counts found on the pages, and the number
// a shown figure is recorded as.

#include "text/text.h"

#include <optional>

namespace zv {

class PageForm;
class PageMatcher;
class PatternMatcher;

// The six figures of the overview, each read from a page of its own.
enum class OverviewFigure { Snapshot, Indexed, Backlinks, IndexedToday, IndexedWeek, IndexedMonth };

// The address of the figure's page; the search term follows "/s?wd=".
Text overviewAddress(OverviewFigure figure, const Text& siteAddress);

// The snapshot date: group 1 of the first address line of any result block
// that contains the site address; nothing when there is none. The page is
// searched in place, each block as a range of its form. Reading stops at the
// first search that gives up at its limits; the matcher then says so
// (gaveUp()), and so does the count's.
std::optional<Text> snapshotText(const PageForm& page, const Text& siteAddress, PageMatcher& tableMatcher,
                                 PageMatcher& entryMatcher);
// A count figure as captured from its page ("约" already removed for backlinks).
Text countText(OverviewFigure figure, const PageForm& page, PageMatcher& matcher);

// The same over a page's GBK text, each block searched as a text of its own.
std::optional<Text> snapshotText(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                                 PatternMatcher& entryMatcher);
Text countText(OverviewFigure figure, const Text& pageText, PatternMatcher& matcher);

// A shown figure as recorded: every "," removed, then the leading integer.
int overviewNumber(const Text& shown);

} // namespace zv
