#include "readers/engine_page.h"

#include "readers/engine_profile.h"
#include "web/pattern_matcher.h"

#include <algorithm>

namespace zv {

namespace {

// Text of the first <title> element; empty when there is none.
Text titleOf(const Text& page)
{
    const std::size_t open = findText(page, "<title", 1, true);
    if (open == 0)
        return {};
    const std::size_t close = findText(page, ">", open);
    if (close == 0)
        return {};
    const std::size_t end = findText(page, "</title", close, true);
    if (end == 0)
        return {};
    return page.substr(close, end - 1 - close);
}

// Blanks and line breaks around a title mean nothing.
std::string_view trimmed(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Whether s ends in tail starting on a character boundary (a trail byte may
// equal "_").
bool endsWith(std::string_view s, std::string_view tail)
{
    if (s.size() < tail.size())
        return false;
    const std::size_t position = s.size() - tail.size() + 1;
    return findText(s, tail, position) == position;
}

bool containsAny(std::string_view hay, const std::vector<Text>& needles)
{
    return std::any_of(needles.begin(), needles.end(), [hay](const Text& n) { return containsText(hay, n); });
}

// Whether the exchange ended on a host of the engine's check.
bool isCheckHost(const EngineVerification& marks, const Text& finalHost, const Text& engineHost)
{
    const Text host = lowerAscii(finalHost);
    if (host == lowerAscii(engineHost))
        return false;
    return std::any_of(marks.redirectHosts.begin(), marks.redirectHosts.end(),
                       [&host](const Text& h) { return h == "*" || h == host; });
}

// Whether the page holds a result: the profile's mark, or a result block.
bool holdsResult(const EngineProfile& engine, const Text& page)
{
    if (!engine.verification.resultMark.empty())
        return containsText(page, engine.verification.resultMark, true);
    PatternMatcher matcher;
    matcher.execute(engine.resultBlock, page);
    // A search that gave up cannot tell; the reading of the page will fail
    // on it the same way, which is no security check.
    return matcher.matchCount() > 0 || matcher.gaveUp();
}

bool verificationPage(const EngineProfile& engine, const Text& page, const Text& finalHost, const Text& engineHost)
{
    const EngineVerification& marks = engine.verification;
    if (!finalHost.empty() && isCheckHost(marks, finalHost, engineHost))
        return true;
    if (!marks.titleWords.empty()) {
        const Text whole = titleOf(page);
        const std::string_view title = trimmed(whole);
        if (containsAny(title, marks.titleWords)
            && (marks.resultTitleEnd.empty() || !endsWith(title, marks.resultTitleEnd)))
            return true;
    }
    return containsAny(page, marks.pageWords) && !holdsResult(engine, page) && !isNoResultsNotice(engine, page);
}

} // namespace

bool isVerificationPage(const Text& page, const Text& finalHost, const Text& engineHost)
{
    return verificationPage(builtinEngineProfile(), page, finalHost, engineHost);
}

bool isVerificationPage(const EngineProfile& engine, const Text& page, const Text& finalHost)
{
    return verificationPage(engine, page, finalHost, engine.host);
}

bool isNoResultsNotice(const Text& page)
{
    return isNoResultsNotice(builtinEngineProfile(), page);
}

bool isNoResultsNotice(const EngineProfile& engine, const Text& page)
{
    if (engine.noResults.empty())
        return false;
    std::size_t from = 1;
    for (const Text& part : engine.noResults) {
        const std::size_t at = findText(page, part, from);
        if (at == 0)
            return false;
        from = at + part.size();
    }
    return true;
}

} // namespace zv
