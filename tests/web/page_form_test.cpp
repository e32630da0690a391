#include "tests/fuzz/page_reading_checks.h"
#include "text/unicode.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

std::string utf8Of(char32_t c)
{
    std::u16string units;
    if (c < 0x10000) {
        units.push_back(static_cast<char16_t>(c));
    } else {
        units.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
    }
    return utf16ToUtf8(units);
}

// The form agrees with the conversions the matcher made per subject before:
// the text, the text read back, and each character's text position.
void expectFormOf(const ByteBlock& page)
{
    const Text text = fuzz::referenceUtf8ToGbk(page);
    EXPECT_EQ(utf8ToGbk(page), text);
    const PageForm form(page);
    ASSERT_EQ(form.text(), text);
    std::vector<std::uint32_t> positions;
    ASSERT_EQ(form.utf8(), gbkToUtf8Mapped(text, positions));
    int wrong = 0;
    for (std::size_t p = 0; p < positions.size(); ++p) {
        const bool startsCharacter
            = p == form.utf8().size() || (static_cast<unsigned char>(form.utf8()[p]) & 0xC0) != 0x80;
        if (startsCharacter && form.textPosition(p) != positions[p])
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

// Every character of the plane, alone between letters and followed by a
// combining mark (so that composition runs over each of them), and a few
// beyond it.
TEST(PageFormTest, EveryCharacterReadsAsIcuReadsIt)
{
    ByteBlock alone;
    ByteBlock marked;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        alone += 'a';
        alone += utf8Of(c);
        marked += utf8Of(c);
        marked += "\xCC\x81"; // U+0301
    }
    for (char32_t c : {0x10000u, 0x1F600u, 0x20000u, 0x2F800u, 0xE0001u, 0xE0100u, 0x10FFFFu}) {
        alone += 'b';
        alone += utf8Of(c);
        alone += utf8Of(c);
        alone += "\xCC\x81";
    }
    expectFormOf(alone);
    expectFormOf(marked);
}

TEST(PageFormTest, MalformedBytesAndNulReadAsIcuReadsThem)
{
    for (const ByteBlock& page : {
             ByteBlock("\xE4\xB8 \xE4 \xED\xA0\x80 \xF0\x9F\x98 \xC0\xAF \xFF\xFE \xF4\x90\x80\x80 \x80\xBF"),
             ByteBlock("\xE4\xB8\xAD\xE6\x96"),
             ByteBlock("ab\xE4\xB8", 4) + ByteBlock(1, '\0') + "\xE4\xB8\xAD",
             ByteBlock(1, '\0') + "abc",
             ByteBlock("\xCC\x81\xCC\x81start with marks"),
             ByteBlock(),
         })
        expectFormOf(page);
    EXPECT_EQ(PageForm(ByteBlock("ab", 2) + ByteBlock(1, '\0') + "cd").text(), "ab");
}

TEST(PageFormTest, RangesGiveTheirCodePageText)
{
    // 中, the euro sign (one byte, 0x80), a joiner the code page drops, a
    // private-use character written as the lone byte 0xFF, e with a combining
    // acute (composed: 0xA8A6), a character the code page lacks ("?").
    const PageForm form(ByteBlock("ab中€\u200D\uF8F5e\u0301\U0001F600x"));
    EXPECT_EQ(form.text(), "ab\xD6\xD0\x80\xFF\xA8\xA6?x");
    EXPECT_EQ(form.utf8(), "ab中€\uF8F5é?x");
    const std::size_t zhong = 2;
    const std::size_t euro = zhong + 3;
    const std::size_t acute = euro + 3 + 3;
    EXPECT_EQ(form.textOf({zhong, euro + 3}), "\xD6\xD0\x80");
    EXPECT_EQ(form.textOf({euro + 3, acute + 2}), "\xFF\xA8\xA6");
    EXPECT_EQ(form.textOf({acute + 2, form.utf8().size()}), "?x");
    EXPECT_EQ(form.textOf(form.whole()), form.text());
    EXPECT_EQ(form.textOf({zhong, zhong}), "");

    // Long pages: positions far from a checkpoint and at its edges.
    ByteBlock page;
    for (int i = 0; i < 500; ++i)
        page += std::string(static_cast<std::size_t>(i % 7), 'x') + "中" + (i % 5 == 0 ? "\u0301" : "") + "\U0001F600";
    expectFormOf(page);
}

// The in-place search over a range sees the range as its whole subject, as the
// old search over the cut-out text did: anchors, look-behind and word
// boundaries stop at its edges.
TEST(PageMatcherTest, SearchesARangeAsItsOwnSubject)
{
    const ByteBlock page = "xx<b>abc</b>yy\n<b>中文</b>";
    const PageForm form(page);
    PageMatcher blocks;
    blocks.execute("<b>.*?</b>", form);
    ASSERT_EQ(blocks.matchCount(), 2);
    EXPECT_EQ(blocks.matchText(2), utf8ToGbkString("<b>中文</b>"));

    PageMatcher inner;
    PatternMatcher before;
    for (const char* pattern : {"(?<=x)<b>", "^<b>", "</b>$", "\\Ab", "\\b", "(?<=b>)\\w+", ".(?=$)", "^.", "x*"}) {
        for (int n = 1; n <= 2; ++n) {
            inner.execute(pattern, form, blocks.matchRange(n));
            before.execute(pattern, blocks.matchText(n));
            ASSERT_EQ(inner.matchCount(), before.matchCount()) << pattern << " in block " << n;
            for (int m = 1; m <= inner.matchCount(); ++m)
                EXPECT_EQ(inner.matchText(m), before.matchText(m)) << pattern << " in block " << n;
        }
    }
    inner.execute("(?<=x)<b>", form, blocks.matchRange(1));
    EXPECT_EQ(inner.matchCount(), 0);
    inner.execute("(?<=x)<b>", form);
    EXPECT_EQ(inner.matchCount(), 1);
}

TEST(PageMatcherTest, ReadsTheRankOfAResultPageAsBefore)
{
    ByteBlock page = "<html><meta charset=\"utf-8\"><body>\n";
    for (int i = 1; i <= 30; ++i) {
        const std::string n = std::to_string(i);
        const std::string host = (i == 3 || i == 17) ? "www.example.com" : "www.site" + n + ".com";
        page += "<table class=\"result\" id=\"" + n + "\"><tr><td>\n<h3>关键词的第" + n + "个结果 Café\u0301</h3>\n";
        page += "<span class=\"g\">" + host + (i == 3 ? "/" : "/news/" + n + ".html") + " 2012-5-1 </span>";
        page += "</td></tr></table>\n";
    }
    const Text site = "www.example.com";
    const auto rankOf = [&site](auto& blocks, auto& lines, auto searchBlock) {
        Text entries;
        for (int n = 1; n <= blocks.matchCount(); ++n) {
            searchBlock(n);
            for (int m = 1; m <= lines.matchCount(); ++m) {
                const Text line = lines.matchText(m);
                if (!containsText(line, site))
                    continue;
                entries += blocks.subMatchText(n, 1) + (containsText(line, site + "/ ") ? ". " : " ");
                break;
            }
        }
        return entries;
    };
    const Text blockPattern = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
    const Text linePattern = "<span class=.g.>.*?</span>";

    const Text text = utf8ToGbk(page);
    PatternMatcher oldBlocks;
    PatternMatcher oldLines;
    oldBlocks.execute(blockPattern, text);
    const Text before
        = rankOf(oldBlocks, oldLines, [&](int n) { oldLines.execute(linePattern, oldBlocks.matchText(n)); });

    const PageForm form(page);
    PageMatcher blocks;
    PageMatcher lines;
    blocks.execute(blockPattern, form);
    const Text now = rankOf(blocks, lines, [&](int n) { lines.execute(linePattern, form, blocks.matchRange(n)); });

    EXPECT_EQ(before, "3. 17 ");
    EXPECT_EQ(now, before);
}

TEST(PageMatcherTest, LimitsEndTheListAsBefore)
{
    // The second search runs into the work limit; the list ends with the
    // first match on both paths.
    const ByteBlock page = "aab " + std::string(40, 'a') + "c aab";
    const PageForm form(page);
    PageMatcher now;
    now.execute("(a+)+b", form);
    PatternMatcher before;
    before.execute("(a+)+b", utf8ToGbk(page));
    EXPECT_EQ(before.matchCount(), 1);
    EXPECT_EQ(now.matchCount(), 1);
    EXPECT_EQ(now.matchText(1), "aab");
    EXPECT_TRUE(before.gaveUp());
    EXPECT_TRUE(now.gaveUp());
    now.execute("a+b", form);
    EXPECT_FALSE(now.gaveUp());
}

TEST(PageMatcherTest, NumbersAndRangesOutOfRangeGiveNothing)
{
    const PageForm form(ByteBlock("<b>1</b><b>2</b>"));
    PageMatcher matcher;
    matcher.execute("<b>(.)</b>", form);
    ASSERT_EQ(matcher.matchCount(), 2);
    EXPECT_EQ(matcher.subMatchCount(), 1);
    EXPECT_EQ(matcher.subMatchText(2, 1), "2");
    EXPECT_EQ(matcher.subMatchText(1, 0), "");
    EXPECT_EQ(matcher.subMatchText(1, 2), "");
    EXPECT_EQ(matcher.matchText(3), "");
    EXPECT_EQ(matcher.matchRange(0), PageRange());
    EXPECT_EQ(matcher.matchRange(2), (PageRange {8, 16}));

    matcher.execute("<b>", form, {4, 100});
    EXPECT_EQ(matcher.matchCount(), 0);
    matcher.execute("<b>", form, {9, 4});
    EXPECT_EQ(matcher.matchCount(), 0);
    matcher.execute("(unclosed", form);
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.subMatchCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
}

} // namespace
} // namespace zv
