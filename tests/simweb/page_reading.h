#pragma once
// Reads simulated pages the way the program's queries read real ones: the
// same fixed patterns through PatternMatcher over the page converted to
// code page 936, and the same text rules around them.

#include <string>
#include <vector>

#include "text/text.h"

#include <nlohmann/json.hpp>

namespace zv::test {

// UTF-8 source text as code page 936.
Text gbk(const char* utf8);

// Search address of a keyword for result page p (1-based).
std::string rankAddress(const Text& keyword, int page);
// Overview search address for a term appended unencoded after "wd=".
std::string overviewAddress(const std::string& term);

// Result blocks on a page, as the rank search's block pattern finds them.
int resultBlockCount(const ByteBlock& page);

// The same for search.example.com, with the patterns of its engine profile:
// the search address of result page p (100 results a page), the result items
// on a page, and the rank column the profile's rules give (an entry is the
// site's home page when it holds the site address followed by "/<").
std::string listRankAddress(const Text& keyword, int page);
int listResultCount(const ByteBlock& page);
Text readListRanks(const std::vector<ByteBlock>& pages, const Text& site);

// Entries appended to the rank column for the site over the given result
// pages: position then ". " (home page) or " ".
Text readRanks(const std::vector<ByteBlock>& pages, const Text& site);

// Group 1 of the first "找到相关结果数(.*?)个"; empty without a match.
Text readIndexedCount(const ByteBlock& page);
// The backlinks figure without its "约".
Text readBacklinks(const ByteBlock& page);
// The snapshot text after "<b>address</b>/"; "无" when no line of the site.
Text readSnapshot(const ByteBlock& page, const Text& site);
// What a shown figure is recorded as: "," removed, then the leading integer.
int recordedFigure(const Text& shown);

// The picture address the answer names for the keyword; empty when no row
// shows it.
Text readIndexPictureAddress(const ByteBlock& page, const Text& keyword, const std::string& host);
bool saysTooFrequent(const ByteBlock& page);

// The keyword pieces the home-page import hands on.
std::vector<Text> readMetaKeywords(const ByteBlock& body);

// The lines of simweb's request log, one JSON object each.
std::vector<nlohmann::json> logLines(const std::string& path);

} // namespace zv::test
