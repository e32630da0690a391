#include "readers/result_entries.h"

#include "readers/engine_profile.h"
#include "readers/rank_page.h"
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

// The entries of the blocks wanted; lineOf(n, isOwn, line, lineIsOwn) gives
// block n's address line, false when it has none.
template <typename LineOf>
std::vector<ResultEntry> entriesOfBlocks(const EngineProfile& engine, const Text& siteAddress, const Text& siteEntries,
                                         const PageMatcher& tableMatcher, int depth, LineOf lineOf)
{
    std::vector<ResultEntry> out;
    const std::vector<Text> own = sitePositions(siteEntries);
    std::size_t ownLeft = own.size();
    const int blocks = tableMatcher.matchCount();
    Text line;
    for (int n = 1; n <= blocks; ++n) {
        // Positions rise block by block: past the first depth blocks only the
        // site's are still wanted, and none once all of them are read.
        if (n > depth && ownLeft == 0)
            break;
        const Text positionText = tableMatcher.subMatchText(n, engine.positionGroup);
        const int position = leadingInteger(positionText);
        const bool isOwn = !siteAddress.empty() && std::find(own.begin(), own.end(), positionText) != own.end();
        if (isOwn && ownLeft > 0)
            --ownLeft;
        if (position <= 0 || (position > depth && !isOwn))
            continue;
        bool lineIsOwn = false;
        if (!lineOf(n, isOwn, line, lineIsOwn))
            continue;
        Text address = displayedAddress(line);
        if (address.empty())
            continue;
        Text host = addressHost(address);
        out.push_back({position, std::move(address), std::move(host), lineIsOwn});
    }
    return out;
}

} // namespace

std::vector<ResultEntry> resultEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                                       const Text& siteEntries, const PageMatcher& tableMatcher,
                                       PageMatcher& entryMatcher, int depth)
{
    return entriesOfBlocks(engine, siteAddress, siteEntries, tableMatcher, depth,
                           [&](int n, bool isOwn, Text& line, bool& lineIsOwn) {
                               entryMatcher.execute(engine.addressLine, page, tableMatcher.matchRange(n));
                               const int lines = entryMatcher.matchCount();
                               if (lines == 0)
                                   return false;
                               line = entryMatcher.matchText(1);
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
                               return true;
                           });
}

std::vector<ResultEntry> resultEntries(const EngineProfile& engine, const PageForm& page, const Text& siteAddress,
                                       const Text& siteEntries, const PageMatcher& tableMatcher,
                                       const std::vector<BlockLines>& lines, int depth)
{
    return entriesOfBlocks(engine, siteAddress, siteEntries, tableMatcher, depth,
                           [&](int n, bool isOwn, Text& line, bool& lineIsOwn) {
                               if (static_cast<std::size_t>(n) > lines.size())
                                   return false;
                               const BlockLines& block = lines[static_cast<std::size_t>(n) - 1];
                               if (isOwn && block.hasSite) {
                                   line = page.textOf(block.site);
                                   lineIsOwn = true;
                                   return true;
                               }
                               if (!block.hasFirst)
                                   return false;
                               line = page.textOf(block.first);
                               return true;
                           });
}

Text displayedAddress(const Text& line)
{
    // One pass: tags skipped, blanks before the address skipped, and the
    // address ends at the first blank after it (the engine's date follows).
    Text address;
    address.reserve(line.size());
    bool inTag = false;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = charLength(line, i);
        if (length == 2) {
            const bool fullWidthSpace = line[i] == '\xA1' && line[i + 1] == '\xA1';
            if (!inTag && fullWidthSpace && !address.empty())
                break;
            if (!inTag && !fullWidthSpace)
                address.append(line, i, 2);
            i += 2;
            continue;
        }
        const char c = line[i];
        if (inTag) {
            inTag = c != '>';
            ++i;
            continue;
        }
        if (c == '<') {
            inTag = true;
            ++i;
            continue;
        }
        const bool nbsp = c == '&' && line.compare(i, 6, "&nbsp;") == 0;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || nbsp) {
            if (!address.empty())
                break;
            i += nbsp ? 6 : 1;
            continue;
        }
        if (c == '&' && line.compare(i, 5, "&amp;") == 0) {
            address += '&';
            i += 5;
            continue;
        }
        address += c;
        ++i;
    }
    return address;
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
