#pragma once
// Home-page keyword import: seeds a newly added site's keyword list from the
// keywords meta tag of its home page.

#include "text/text.h"

#include <vector>

namespace zv {

class MainWindow;

// Fetches "http://" + the current site and adds every keyword its keywords
// meta tag declares (through addKeywords). Shows nothing of its own.
void importHomePageKeywords(MainWindow& window);

// The cleaned content of the keywords meta tag of a home page as received:
// GBK unless a charset meta tag declares UTF-8; trimmed; quotation marks, "'",
// "/" and "name=" removed. Empty when the page has no such tag.
Text homePageKeywordText(const ByteBlock& body);

// The keyword text cut at the first of ",", "_", "，", "|", " " it contains.
std::vector<Text> splitHomePageKeywords(const Text& keywordText);

} // namespace zv
