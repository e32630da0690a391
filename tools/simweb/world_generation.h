#pragma once
// What the simulated world makes up for whatever a scenario leaves open: site
// entries on a keyword's result list, overview figures, home pages, related
// keywords and index figures. Everything is derived from the host, the keyword
// and the day alone, so the same question on the same day always gets the same
// answer.

#include "tools/simweb/world.h"

#include <string>
#include <vector>

namespace zv::simweb {

// A site's entries for a keyword on a day, by position; none for a site that
// is not among the results.
std::vector<RankEntry> generatedRanks(const std::string& site, const std::string& keyword, Day day);
// The overview figures of a site (host letters lowered).
OverviewTexts generatedOverview(const std::string& site, Day day);
// The home page of a host (letters lowered): a few keywords of a fixed
// vocabulary, with varied separators, tag forms and code pages.
HomePage generatedHomePage(const std::string& host);
// Keywords the index service lists beside the one asked for.
std::vector<std::string> generatedRelated(const std::string& keyword);
// The index figure of a keyword on a day, and the format of its picture.
int generatedIndexValue(const std::string& keyword, Day day);
PictureFormat generatedPictureFormat(const std::string& keyword);

} // namespace zv::simweb
