#pragma once
// Reading a page once into a page form and matching in place must give exactly
// what converting the page with ICU and matching on code page text gives:
// the text, the UTF-8 form and its positions, every match and group of the
// program's patterns (the entry patterns over each result block in place) or
// of a pattern the input brings, and what each page reader takes out of the
// page through its form and through its text.

#include "readers/index_page.h"
#include "readers/overview_page.h"
#include "readers/rank_page.h"
#include "tests/fuzz/fuzz_check.h"
#include "text/text.h"
#include "text/unicode.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::fuzz {

// The conversion of a page as it was done before the page form: ICU's UTF-8
// decoder, the cut at the first NUL, composition, ICU's encoder.
inline Text referenceUtf8ToGbk(const ByteBlock& utf8)
{
    std::u16string utf16 = utf8ToUtf16(utf8);
    const std::size_t nul = utf16.find(u'\0');
    if (nul != std::u16string::npos)
        utf16.resize(nul);
    return utf16ToGbk(composeCombiningMarks(utf16));
}

// A page built from a recipe: each byte from 0xC0 up picks one of the pieces
// result pages are made of (tags, addresses, Chinese, combining marks,
// characters the code page lacks or drops, malformed UTF-8, NUL); 0xBF takes
// the next byte as it is; any other byte stands for itself (0x80..0xBE are
// stray continuation bytes). Pages stop growing past 128 KB.
inline ByteBlock pageFromRecipe(std::string_view recipe)
{
    static const std::array<std::string, 64> pieces {
        "<table cellpadding=\"0\" class=\"result\" id=\"",
        "\">",
        "</table>",
        "<TABLE id=\"1\">",
        "<span class=\"g\">",
        "</span>",
        "www.example.com/",
        "www.example.com/ ",
        "</b>/",
        "<b>",
        "\n",
        "\r\n",
        "\v",
        " ",
        "0123",
        "17",
        "中文",
        "关键词",
        "，",
        "找到相关结果数",
        "个",
        "<span class=\"nums\">百度为您找到相关结果约",
        "1,234",
        "<tr class=x id=\"index1\">",
        "</tr>",
        "<span  ><em>",
        "</em></span>",
        "<img src=\"/pic/",
        "\" />",
        "<meta charset=\"utf-8\">",
        "<meta name=\"keywords\" content=\"seo,优化\">",
        "e\u0301",
        "\u0301",
        "a\u0308\u0301",
        "\u05D0\u0591\u05B0",
        "\u0344",
        "\uF900",
        "\u212B",
        "\u212A",
        "\u017F",
        "\U0001F600",
        "\u200D",
        "\u00AD",
        "\u20AC",
        "\uF8F5",
        "\uFEFF",
        "\u1100\u1161",
        "\uAC00\u11A8",
        std::string(1, '\0'),
        "\xE4\xB8",
        "\xED\xA0\x80",
        "\xF0\x9F",
        "\xC0\xAF",
        "\xFF",
        "\xF4\x90\x80\x80",
        "ＡＢＣ",
        "\u00E9",
        "\u0130",
        "\u03A3\u03C2",
        "\U00020000",
        "\u3000",
        "\u1E9E",
        "<table id=\"",
        "\"",
    };
    ByteBlock page;
    for (std::size_t i = 0; i < recipe.size() && page.size() < 128 * 1024; ++i) {
        const auto byte = static_cast<unsigned char>(recipe[i]);
        if (byte >= 0xC0)
            page += pieces[byte - 0xC0];
        else if (byte == 0xBF && i + 1 < recipe.size())
            page.push_back(recipe[++i]);
        else
            page.push_back(static_cast<char>(byte));
    }
    return page;
}

// Both paths found the same: count, groups, and the text of every match and
// group (numbers out of range included), for the first `limit` matches.
inline void requireSameMatches(const PatternMatcher& before, const PageMatcher& now, int limit)
{
    require(before.matchCount() == now.matchCount(), "both paths find as many matches");
    require(before.subMatchCount() == now.subMatchCount(), "both paths count as many groups");
    const int count = std::min(before.matchCount(), now.matchCount());
    require(now.matchText(0).empty() && now.matchText(count + 1).empty() && now.matchRange(0) == PageRange(),
            "match numbers out of range give nothing");
    for (int n = 1; n <= std::min(count, limit); ++n) {
        require(before.matchText(n) == now.matchText(n), "both paths give the same match text");
        for (int g = 0; g <= now.subMatchCount() + 1; ++g)
            require(before.subMatchText(n, g) == now.subMatchText(n, g), "both paths give the same group text");
    }
}

// One pattern over the whole page, and the inner patterns over each of its
// matches: on the code page text (each match's text as a subject of its own)
// and on the form (each match's range in place).
inline void compareNestedSearch(const Text& text, const PageForm& form, const Text& outer,
                                const std::vector<Text>& inner, bool caseSensitive = false, bool singleLine = false)
{
    PatternMatcher before;
    PageMatcher now;
    before.execute(outer, text, caseSensitive, singleLine);
    now.execute(outer, form, caseSensitive, singleLine);
    requireSameMatches(before, now, 64);
    PatternMatcher beforeInner;
    PageMatcher nowInner;
    for (int n = 1; n <= std::min({before.matchCount(), now.matchCount(), 32}); ++n) {
        const Text block = before.matchText(n);
        const PageRange range = now.matchRange(n);
        require(form.textOf(range) == block, "a match's range holds the match's text");
        for (const Text& pattern : inner) {
            beforeInner.execute(pattern, block, caseSensitive, singleLine);
            nowInner.execute(pattern, form, range, caseSensitive, singleLine);
            requireSameMatches(beforeInner, nowInner, 16);
        }
    }
}

// The text, the UTF-8 form and every character's position agree with the
// conversions the matcher made per subject before.
inline void compareForms(const ByteBlock& page, const Text& text, const PageForm& form)
{
    require(utf8ToGbk(page) == text, "utf8ToGbk gives what ICU's conversion gives");
    require(form.text() == text, "the form's text is utf8ToGbk of the page");
    std::vector<std::uint32_t> positions;
    const std::string mapped = gbkToUtf8Mapped(text, positions);
    require(form.utf8() == mapped, "the form is the text read back as UTF-8");
    if (form.utf8() != mapped)
        return;
    for (std::size_t p = 0; p <= mapped.size(); ++p) {
        if (p < mapped.size() && (static_cast<unsigned char>(mapped[p]) & 0xC0) == 0x80)
            continue; // inside a character
        require(form.textPosition(p) == positions[p], "each character maps to its text position");
    }
}

// The readers' entry points on the page form and on the page's text agree:
// rank entries and snapshot date for a few site addresses (one the page
// names in an address line, so that entries are found), every count figure,
// and index picture addresses for a few keywords (one the page's first row
// holds).
inline void compareReaders(const Text& text, const PageForm& form)
{
    PatternMatcher tableBefore;
    PatternMatcher entryBefore;
    PageMatcher tableNow;
    PageMatcher entryNow;

    std::vector<Text> sites {"www.example.com", "WWW.EXAMPLE.COM", ""};
    entryBefore.execute("<span class=.g.>(.*?)/", text);
    if (entryBefore.matchCount() > 0)
        sites.push_back(entryBefore.subMatchText(1, 1));
    for (const Text& site : sites) {
        require(siteRankEntries(text, site, tableBefore, entryBefore)
                    == siteRankEntries(form, site, tableNow, entryNow),
                "rank entries from the form are those from the text");
        const std::optional<Text> snapshotBefore = snapshotText(text, site, tableBefore, entryBefore);
        const std::optional<Text> snapshotNow = snapshotText(form, site, tableNow, entryNow);
        require(snapshotBefore == snapshotNow, "the snapshot date from the form is that from the text");
    }
    for (const OverviewFigure figure :
         {OverviewFigure::Snapshot, OverviewFigure::Indexed, OverviewFigure::Backlinks, OverviewFigure::IndexedToday,
          OverviewFigure::IndexedWeek, OverviewFigure::IndexedMonth})
        require(countText(figure, text, tableBefore) == countText(figure, form, tableNow),
                "a count from the form is that from the text");

    std::vector<Text> keywords {utf8ToGbkString("中文"), "17", ""};
    entryBefore.execute("<span  ><em>(.*?)</em></span>", text);
    if (entryBefore.matchCount() > 0)
        keywords.push_back(entryBefore.subMatchText(1, 1));
    for (const Text& keyword : keywords)
        require(indexPictureAddress(text, keyword) == indexPictureAddress(form, keyword, tableNow, entryNow),
                "the index picture address from the form is that from the text");
}

// First byte: options (1: the rest is the page's bytes as they are, else a
// recipe; 2: a pattern of the input's own comes first, ended by a NUL; 4 and
// 8: that pattern's case sensitivity and single-line mode).
inline void checkPageReading(std::string_view input)
{
    if (input.empty())
        return;
    const auto options = static_cast<unsigned char>(input[0]);
    input.remove_prefix(1);
    Text ownPattern;
    if (options & 2) {
        const std::size_t nul = input.find('\0');
        ownPattern = Text(input.substr(0, nul));
        input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    }
    const ByteBlock page = (options & 1) ? ByteBlock(input) : pageFromRecipe(input);

    const Text text = referenceUtf8ToGbk(page);
    const PageForm form(page);
    compareForms(page, text, form);

    const Text tablePattern = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
    compareNestedSearch(text, form, tablePattern,
                        {"<span class=.g.>.*?</span>", "<span class=.g.>.*?</b>/(.*?)</span>"});
    compareNestedSearch(text, form, "<tr .*?id=.index[\\s\\S]*?</tr>",
                        {"<span  ><em>(.*?)</em></span>", "<img src=.(.*?). />"});
    for (const Text& pattern :
         {utf8ToGbkString("找到相关结果数(.*?)个"),
          utf8ToGbkString("<span class=.nums.*?百度为您找到相关结果(.*?)个</span>"), Text("<meta.*?charset=.*?>"),
          Text("<meta.*?keywords.*?content=(.*?)>"), Text("<meta.*?content=(.*?)keywords.*?>")})
        compareNestedSearch(text, form, pattern, {});
    compareReaders(text, form);
    if (options & 2) {
        compareNestedSearch(text, form, ownPattern, {}, options & 4, options & 8);
        compareNestedSearch(text, form, tablePattern, {ownPattern}, options & 4, options & 8);
    }
}

} // namespace zv::fuzz
