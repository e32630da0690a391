#pragma once
// Properties of the engine profile loader that must hold for any file: it
// refuses with a reason or gives a profile every field of which is usable,
// and no profile it gives finds a result, a notice or a check in an empty
// page.

#include "readers/engine_page.h"
#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "tests/fuzz/fuzz_check.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"
#include "web/url.h"

#include <algorithm>
#include <string_view>

namespace zv::fuzz {

inline bool allFilled(const std::vector<Text>& texts)
{
    return std::none_of(texts.begin(), texts.end(), [](const Text& t) { return t.empty(); });
}

inline void checkEngineProfile(std::string_view input)
{
    const EngineProfileLoad load = parseEngineProfile(input);
    if (!load.profile) {
        require(!load.problem.reason.empty(), "a refused profile says why");
        return;
    }
    const EngineProfile& engine = *load.profile;

    const PatternCheck block = checkPattern(engine.resultBlock);
    const PatternCheck line = checkPattern(engine.addressLine);
    require(!engine.resultBlock.empty() && block.compiles && !block.canMatchEmpty,
            "the block pattern compiles and cannot match an empty text");
    require(!engine.addressLine.empty() && line.compiles && !line.canMatchEmpty,
            "the address-line pattern compiles and cannot match an empty text");
    require(engine.positionGroup >= 1 && engine.positionGroup <= block.groupCount,
            "the position group is a group of the block pattern");
    require(containsText(engine.homePage, "{site}"), "the home-page mark names the site");
    require(!engine.noResults.empty() && allFilled(engine.noResults), "the notice has texts, none empty");
    const EngineVerification& v = engine.verification;
    require(allFilled(v.redirectHosts) && allFilled(v.titleWords) && allFilled(v.pageWords),
            "no verification mark is empty");
    require(100 % engine.resultsPerPage == 0 && engine.resultsPerPage >= 10, "results per page divide 100");
    require(!engine.pause
                || (engine.pause->minSeconds <= engine.pause->maxSeconds
                    && engine.pause->maxSeconds <= kLongestEnginePauseSeconds),
            "the pause is a range within the limit");

    // The addresses go to the engine's own host and hold no slot any more.
    for (int page : {1, 2, 8}) {
        const Text address = engineSearchAddress(engine, "a b", page);
        require(!engine.host.empty() && urlHost(address) == engine.host, "every address names the engine's host");
        require(containsText(address, "a%20b"), "the keyword goes into the address");
        for (std::string_view slot : {"{keyword}", "{offset}", "{first}", "{page}", "{count}"})
            require(!containsText(address, slot), "no slot is left in an address");
    }

    // An empty page holds nothing the profile could read as an answer.
    const PageForm empty {ByteBlock()};
    PageMatcher blocks;
    PageMatcher lines;
    require(siteRankEntries(engine, empty, "www.a.cn", blocks, lines).empty(), "an empty page ranks nothing");
    require(!isResultPage(engine, empty, blocks), "an empty page is no result page");
    require(!isNoResultsNotice(engine, Text()), "an empty page holds no notice");
    require(!isVerificationPage(engine, Text(), engine.host), "an empty page on the engine's host is no check");

    // The file read as a page: whatever it holds, reading it ends.
    const PageForm page {ByteBlock(input)};
    siteRankEntries(engine, page, "www.a.cn", blocks, lines);
    isVerificationPage(engine, page.text(), "other.host");
}

} // namespace zv::fuzz
