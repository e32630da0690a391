#pragma once
// A search engine as the rank search knows it: where its result pages are
// asked for, how a result block and its displayed address look, how its "no
// results" notice and its security check are told apart. The built-in
// profile is the engine of kSearchHost; a user's profile is a JSON file of
// the same fields (docs/engines/baidu.json is the built-in one written out):
//
//   address         the result page's address; "{keyword}" is the keyword
//                   percent-encoded, "{offset}" the results before the page
//                   (from 0), "{first}" the position of its first result
//                   (from 1), "{page}" the page (from 1), "{count}" the
//                   results per page
//   keywordEncoding "utf-8" (default) or "gbk": the bytes percent-encoded
//   resultsPerPage  10, 20, 25, 50 or 100 (default)
//   resultBlock     pattern of one result block
//   positionGroup   the group of resultBlock that holds the result's position
//   addressLine     pattern of a block's displayed-address line
//   homePage        what an address line holds for the site's home page,
//                   "{site}" standing for the site address
//   noResults       the texts of the engine's "nothing found" notice, in the
//                   order they appear on the page
//   verification    the engine's security check, any of:
//     redirectHosts   hosts an answer that ends there comes from the check;
//                     "*" for every host but the engine's own
//     titleWords      words of the check page's <title> ...
//     resultTitleEnd  ... unless the title ends as a result list's does
//     pageWords       words of the check page that count only on a page
//                     holding neither a result nor the notice ...
//     resultMark      ... a result being this text (letter case aside) or,
//                     without it, a match of resultBlock
//   pause           "MIN-MAX" or "MIN" seconds between requests (optional)
//   description     free text for the reader of the file (optional)
//
// Patterns run in PatternMatcher's dialect (letter case ignored). Every text
// is UTF-8 in the file and code page 936 text here.

#include "text/text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// The name under which the built-in profile is listed and chosen.
inline constexpr const char* kBuiltinEngineName = "baidu";
// The longest pause a profile may ask for, as the settings file allows.
inline constexpr int kLongestEnginePauseSeconds = 3600;

enum class KeywordEncoding { Utf8, Gbk };

struct EnginePauseSeconds
{
    int minSeconds = 0;
    int maxSeconds = 0;
    friend bool operator==(const EnginePauseSeconds&, const EnginePauseSeconds&) = default;
};

struct EngineVerification
{
    std::vector<Text> redirectHosts;
    std::vector<Text> titleWords;
    Text resultTitleEnd;
    std::vector<Text> pageWords;
    Text resultMark;
    friend bool operator==(const EngineVerification&, const EngineVerification&) = default;
};

struct EngineProfile
{
    Text address;
    // The host of address, letters lowered: where the engine's answers end.
    Text host;
    KeywordEncoding keywordEncoding = KeywordEncoding::Utf8;
    int resultsPerPage = 100;
    Text resultBlock;
    int positionGroup = 1;
    Text addressLine;
    Text homePage;
    std::vector<Text> noResults;
    EngineVerification verification;
    std::optional<EnginePauseSeconds> pause;
    Text description;
    friend bool operator==(const EngineProfile&, const EngineProfile&) = default;
};

// The engine of kSearchHost, as the program has always read it.
const EngineProfile& builtinEngineProfile();

// What is wrong with a profile: the field ("verification.titleWords[1]"; ""
// for the file as a whole) and why.
struct EngineProfileProblem
{
    std::string field;
    std::string reason;
    // "field: reason", or the reason alone.
    std::string text() const;
};

struct EngineProfileLoad
{
    std::optional<EngineProfile> profile; // nothing when the file is refused
    EngineProfileProblem problem; // why it was refused
};

// Reads a profile from the bytes of its file. Refused: anything but a JSON
// object, a missing or unknown field, a field of the wrong type, a text the
// code page cannot hold, an address that is not http:// or lacks
// "{keyword}", a pattern the engine refuses or one that can match an empty
// text, a position group the block pattern does not have.
EngineProfileLoad parseEngineProfile(std::string_view json);

// "MIN-MAX" or "MIN" whole seconds from 0 to kLongestEnginePauseSeconds with
// MIN not above MAX; nothing for any other text.
std::optional<EnginePauseSeconds> parseEnginePause(std::string_view text);

// The address of result page `page` (from 1) for keyword (code page text).
Text engineSearchAddress(const EngineProfile& engine, const Text& keyword, int page);
// Pages asked for per keyword when the search covers (rangeIndex + 1) * 100
// results.
int enginePageCount(const EngineProfile& engine, int rangeIndex);
// The home-page mark of an address line for site.
Text homePageMark(const EngineProfile& engine, const Text& siteAddress);

} // namespace zv
