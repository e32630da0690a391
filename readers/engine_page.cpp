#include "readers/engine_page.h"

namespace zv {

namespace {

// The marks as code page 936 text, converted once.
struct Marks
{
    Text check = utf8ToGbkString("安全验证");
    Text code = utf8ToGbkString("验证码");
    Text resultTitle = utf8ToGbkString("_百度搜索");
    Text noneBefore = utf8ToGbkString("没有找到与");
    Text noneAfter = utf8ToGbkString("相关的网页");
};

const Marks& marks()
{
    static const Marks m;
    return m;
}

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

} // namespace

bool isVerificationPage(const Text& page, const Text& finalHost, const Text& engineHost)
{
    if (!finalHost.empty() && lowerAscii(finalHost) != lowerAscii(engineHost))
        return true;
    const Marks& m = marks();
    const Text whole = titleOf(page);
    const std::string_view title = trimmed(whole);
    if (containsText(title, m.check) && !endsWith(title, m.resultTitle))
        return true;
    return containsText(page, m.code) && !containsText(page, "<table", true) && !isNoResultsNotice(page);
}

bool isNoResultsNotice(const Text& page)
{
    const Marks& m = marks();
    const std::size_t before = findText(page, m.noneBefore);
    return before != 0 && findText(page, m.noneAfter, before + m.noneBefore.size()) != 0;
}

} // namespace zv
