#pragma once
// Each day's result list of a keyword: the entries of the search engine's
// result pages that a rank search kept (the first entries and every entry of
// the site's own). They live in tables of their own beside the site tables,
// keyed by the site's rank table name, the keyword and the day, and go with
// the keyword's column or the site's rank table when those are dropped.
// Texts in and out are code page 936; the tables hold UTF-8.

#include "text/text.h"

#include <map>
#include <optional>
#include <vector>

namespace zv {

class Store;

struct KeptEntry
{
    int position = 0;
    // The displayed address, mark-up and the engine's trailing date removed.
    Text address;
    // address up to its first "/", letters lowered.
    Text host;
    bool own = false;
    friend bool operator==(const KeptEntry&, const KeptEntry&) = default;
};

// One kept entry beside the day before: its host's best position on the
// previous recorded day, when the host was listed then.
struct ComparedEntry
{
    KeptEntry entry;
    std::optional<int> previousPosition;
};

// A day's list against the previous recorded day: the day's entries in
// order, and the previous day's best entry of each host no longer listed.
struct ComparedList
{
    std::vector<ComparedEntry> entries;
    std::vector<KeptEntry> gone;
};

// The site's landing page of a day (its best entry's address), the one of the
// previous recorded day, and whether they differ (never when either day has
// no entry of the site's).
struct LandingPage
{
    std::optional<Text> address;
    std::optional<Text> previousAddress;
    bool changed = false;
};

// One kept entry as exported: its day and keyword, and its host's best
// position on the keyword's previous recorded day.
struct ExportedEntry
{
    Text day;
    Text keyword;
    ComparedEntry entry;
};

// "" for "no bound" in the filters below; days are "YYYY-MM-DD".
struct ResultListFilter
{
    Text from;
    Text to;
    Text keyword;
};

namespace resultLists {

// Replaces the list of (rankTable, keyword, day) by entries, in one
// transaction; the tables are made on first use. False when it fails.
bool record(Store& store, const Text& rankTable, const Text& keyword, const Text& day,
            const std::vector<KeptEntry>& entries);
// The same for several keywords of a search, all in one transaction.
struct KeywordList
{
    Text keyword;
    std::vector<KeptEntry> entries;
};
bool recordDay(Store& store, const Text& rankTable, const Text& day, const std::vector<KeywordList>& lists);
// The days with a list for the keyword, oldest first.
std::vector<Text> days(Store& store, const Text& rankTable, const Text& keyword);
// The list of a day, by position; nothing when that day has none.
std::optional<std::vector<KeptEntry>> entries(Store& store, const Text& rankTable, const Text& keyword,
                                              const Text& day);
// The day's list against the previous recorded day before it.
ComparedList compared(Store& store, const Text& rankTable, const Text& keyword, const Text& day);
LandingPage landingPage(Store& store, const Text& rankTable, const Text& keyword, const Text& day);
// The landing page of every keyword with a list on the day, by keyword.
std::map<Text, LandingPage> landingPages(Store& store, const Text& rankTable, const Text& day);
// Every kept entry of the site within the filter, by keyword, day and position.
std::vector<ExportedEntry> exported(Store& store, const Text& rankTable, const ResultListFilter& filter);

// The comparison itself, on lists already read.
ComparedList compare(const std::vector<KeptEntry>& day, const std::vector<KeptEntry>* previous);
// The site's best entry of a list.
std::optional<Text> landingAddress(const std::vector<KeptEntry>& list);

} // namespace resultLists

} // namespace zv
