#include "readers/result_entries.h"

#include "readers/engine_profile.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <algorithm>

namespace zv {

namespace {

// The position texts of the site's entries ("3. 17 " gives 3 and 17).
std::vector<Text> sitePositions(const Text& siteEntries)
{
    std::vector<Text> out;
    for (const Text& piece : splitText(siteEntries, " ")) {
        Text position = piece;
        if (!position.empty() && position.back() == '.')
            position.pop_back();
        if (!position.empty())
            out.push_back(position);
    }
    return out;
}

} // namespace

std::vector<ResultEntry> resultEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                                       const Text& siteEntries, const PageMatcher& tableMatcher,
                                       PageMatcher& entryMatcher, int depth)
{
    std::vector<ResultEntry> out;
    const std::vector<Text> own = sitePositions(siteEntries);
    const int blocks = tableMatcher.matchCount();
    for (int n = 1; n <= blocks; ++n) {
        const Text positionText = tableMatcher.subMatchText(n, engine.positionGroup);
        const int position = leadingInteger(positionText);
        const bool isOwn = !siteAddress.empty() && std::find(own.begin(), own.end(), positionText) != own.end();
        if (position <= 0 || (position > depth && !isOwn))
            continue;
        entryMatcher.execute(engine.addressLine, page, tableMatcher.matchRange(n));
        const int lines = entryMatcher.matchCount();
        if (lines == 0)
            continue;
        Text line = entryMatcher.matchText(1);
        bool lineIsOwn = false;
        if (isOwn) {
            for (int m = 1; m <= lines; ++m) {
                Text candidate = entryMatcher.matchText(m);
                if (containsText(candidate, siteAddress)) {
                    line = std::move(candidate);
                    lineIsOwn = true;
                    break;
                }
            }
        }
        const Text address = displayedAddress(line);
        if (address.empty())
            continue;
        out.push_back({position, address, addressHost(address), lineIsOwn});
    }
    return out;
}

Text displayedAddress(const Text& line)
{
    // Tags out; the engine's own line is wrapped in one.
    Text plain;
    bool inTag = false;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = charLength(line, i);
        const char c = line[i];
        if (length == 1 && c == '<')
            inTag = true;
        else if (length == 1 && c == '>' && inTag)
            inTag = false;
        else if (!inTag)
            plain.append(line, i, length);
        i += length;
    }
    plain = replaceAll(replaceAll(replaceAll(plain, "&nbsp;", " "), "&amp;", "&"), "\xA1\xA1", " ");
    plain = trimBlanks(replaceAll(replaceAll(replaceAll(plain, "\t", " "), "\r", " "), "\n", " "));
    const std::size_t blank = findText(plain, " ");
    return blank == 0 ? plain : plain.substr(0, blank - 1);
}

Text addressHost(const Text& address)
{
    // A scheme, where an engine shows one, is not part of the host.
    const std::size_t scheme = findText(address, "://");
    const Text rest = scheme == 0 ? address : address.substr(scheme + 2);
    const std::size_t slash = findText(rest, "/");
    return lowerAscii(slash == 0 ? rest : rest.substr(0, slash - 1));
}

} // namespace zv
