#pragma once
// The keywords a site's home page declares in its keywords meta tag.

#include "text/text.h"

#include <optional>
#include <vector>

namespace zv {

// The cleaned content of the keywords meta tag of a home page as received:
// GBK unless a charset meta tag declares UTF-8; trimmed; quotation marks, "'",
// "/" and "name=" removed. Empty when the page has no such tag; nothing when a
// search gave up at its limits (the page could not be read whole).
std::optional<Text> homePageKeywordText(const ByteBlock& body);

// The keyword text cut at the first of ",", "_", "，", "|", " " it contains.
std::vector<Text> splitHomePageKeywords(const Text& keywordText);

} // namespace zv
