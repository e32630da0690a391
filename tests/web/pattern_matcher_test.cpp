#include "web/pattern_matcher.h"

#include "text/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

Text gbk(const char* utf8)
{
    return utf8ToGbkString(utf8);
}

std::vector<Text> allMatches(const PatternMatcher& matcher)
{
    std::vector<Text> out;
    for (int n = 1; n <= matcher.matchCount(); ++n)
        out.push_back(matcher.matchText(n));
    return out;
}

struct DialectCase
{
    const char* name;
    Text pattern;
    Text subject;
    bool caseSensitive;
    bool singleLine;
    std::vector<Text> expected;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const DialectCase& c, std::ostream* os)
{
    *os << c.name;
}

class PatternDialectTest : public testing::TestWithParam<DialectCase>
{
};

TEST_P(PatternDialectTest, FindsTheExpectedMatches)
{
    const DialectCase& c = GetParam();
    PatternMatcher matcher;
    EXPECT_TRUE(matcher.execute(c.pattern, c.subject, c.caseSensitive, c.singleLine));
    EXPECT_EQ(allMatches(matcher), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternDialectTest,
    testing::Values(
        DialectCase {"caseIgnoredByDefault",
                     "<span class=.g.>.*?</span>",
                     "<SPAN CLASS='g'>www.a.com/ </SPAN> tail</span>",
                     false,
                     false,
                     {"<SPAN CLASS='g'>www.a.com/ </SPAN>"}},
        DialectCase {"caseSensitive", "abc", "ABC abc", true, false, {"abc"}},
        DialectCase {"dotStopsAtLineFeed", "<a>.*?</a>", "<a>x\n</a>", false, false, {}},
        DialectCase {"anyCharacterClassCrossesLines", "<a>[\\s\\S]*?</a>", "<a>x\n</a>", false, false, {"<a>x\n</a>"}},
        DialectCase {"dotMatchesCarriageReturn", "a.b", "a\rb", false, false, {"a\rb"}},
        DialectCase {"whiteSpaceClass", "\\s+", "a \t\r\n\f\vb", false, false, {" \t\r\n\f\v"}},
        DialectCase {
            "chineseIsOneCharacter", gbk("中.文"), gbk("中x文 中国文"), false, false, {gbk("中x文"), gbk("中国文")}},
        DialectCase {"dotsCountCharacters", "^..$", gbk("中文\nab\na中文"), false, false, {gbk("中文"), "ab"}},
        DialectCase {"multiLineAnchors", "^b$", "a\nb\nc", false, false, {"b"}},
        DialectCase {"singleLineAnchors", "^b$", "a\nb\nc", false, true, {}},
        DialectCase {"singleLineDollarAtVeryEnd", "a$", "a\n", false, true, {}},
        DialectCase {"nonOverlapping", "aa", "aaaaa", false, false, {"aa", "aa"}},
        DialectCase {"emptyMatchesAdvance", "x*", "ab", false, false, {"", "", ""}},
        DialectCase {"emptyAndFullMatches", "a*", "baaa", false, false, {"", "aaa", ""}},
        DialectCase {"emptyPatternStepsWholeCharacters", "", gbk("中文"), false, false, {"", "", ""}},
        // A trail byte equal to "|" or "\" is part of its character, never the ASCII character.
        DialectCase {"trailBytePipe", "\\|", "\x81\x7C|", false, false, {"|"}},
        DialectCase {"trailByteBackslash", "\\\\", "\x95\x5C\\", false, false, {"\\"}},
        DialectCase {"trailByteLetter", "a", "\x81\x61", false, false, {}},
        DialectCase {"unicodeCaseFolding", gbk("σ"), gbk("Σ"), false, false, {gbk("Σ")}},
        DialectCase {"unicodeEscape", "\\u4E2D", gbk("a中"), false, false, {gbk("中")}}),
    [](const testing::TestParamInfo<DialectCase>& info) { return std::string(info.param.name); });

TEST(PatternMatcherTest, NumbersMatchesFromOneInTextOrder)
{
    PatternMatcher matcher;
    matcher.execute("<i>.</i>", "<i>1</i> <i>2</i>\n<I>3</I>");
    ASSERT_EQ(matcher.matchCount(), 3);
    EXPECT_EQ(matcher.matchText(1), "<i>1</i>");
    EXPECT_EQ(matcher.matchText(2), "<i>2</i>");
    EXPECT_EQ(matcher.matchText(3), "<I>3</I>");
    EXPECT_EQ(matcher.matchText(4), "");
    EXPECT_EQ(matcher.matchText(0), "");
    EXPECT_EQ(matcher.matchText(-1), "");
}

TEST(PatternMatcherTest, GroupsOfChineseTextComeBackAsText)
{
    PatternMatcher matcher;
    matcher.execute(gbk("找到相关结果数(.*?)个"), gbk("<p>百度为您找到相关结果数1,234个</p>"));
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.subMatchText(1, 1), "1,234");
    EXPECT_EQ(matcher.matchText(1), gbk("找到相关结果数1,234个"));
    EXPECT_EQ(matcher.subMatchCount(), 1);
    EXPECT_EQ(matcher.subMatchText(1, 2), "");
    // Groups count from 1: group 0 is out of range, not the whole match.
    EXPECT_EQ(matcher.subMatchText(1, 0), "");
    EXPECT_EQ(matcher.subMatchText(2, 1), "");
}

TEST(PatternMatcherTest, GroupsThatTookNoPartAreEmpty)
{
    PatternMatcher matcher;
    matcher.execute("(a)|(b)", "b");
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.subMatchCount(), 2);
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    EXPECT_EQ(matcher.subMatchText(1, 2), "b");
    EXPECT_EQ(matcher.subMatchText(1, 3), "");
}

TEST(PatternMatcherTest, ExecutingAgainReplacesEverything)
{
    PatternMatcher matcher;
    matcher.execute("(x)", "x x x");
    ASSERT_EQ(matcher.matchCount(), 3);
    matcher.execute("y", "x x x");
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.subMatchCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
    EXPECT_EQ(matcher.patternText(), "y");
}

TEST(PatternMatcherTest, InvalidPatternGivesNoMatches)
{
    PatternMatcher matcher;
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.patternText(), "");
    EXPECT_EQ(matcher.replaceAll("x"), "");

    matcher.execute("(a)", "a");
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_TRUE(matcher.execute("(abc", "abc abc"));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
    EXPECT_EQ(matcher.subMatchCount(), 0);
    EXPECT_EQ(matcher.patternText(), "(abc");
    EXPECT_EQ(matcher.replaceAll("x"), "");
}

TEST(PatternMatcherTest, CopyKeepsItsMatchesWhenTheOriginalRunsAgain)
{
    PatternMatcher original;
    original.execute(gbk("(中)"), gbk("a中b中"));
    const PatternMatcher copied = original.copy();
    original.execute("z", "abc");
    EXPECT_EQ(original.matchCount(), 0);
    ASSERT_EQ(copied.matchCount(), 2);
    EXPECT_EQ(copied.subMatchText(2, 1), gbk("中"));
    EXPECT_EQ(copied.patternText(), gbk("(中)"));
    EXPECT_EQ(copied.replaceAll("[$1]"), gbk("a[中]b[中]"));
}

TEST(PatternMatcherTest, ReplaceAllExpandsReferences)
{
    PatternMatcher matcher;
    matcher.execute("(\\d+)", gbk("价1元22"));
    EXPECT_EQ(matcher.replaceAll("<$1>"), gbk("价<1>元<22>"));
    EXPECT_EQ(matcher.replaceAll("$&$$"), gbk("价1$元22$"));
    EXPECT_EQ(matcher.replaceAll("$2$0"), gbk("价$2$0元$2$0"));

    matcher.execute("b", "abc");
    EXPECT_EQ(matcher.replaceAll("[$`|$']"), "a[a|c]c");
}

TEST(PatternMatcherTest, PageOfHundredResultsIsMatchedCompletely)
{
    Text page;
    for (int i = 1; i <= 100; ++i) {
        page += "<table cellpadding=\"0\" class=\"result\" id=\"" + std::to_string(i) + "\"><tr><td>\n";
        for (int line = 0; line < 40; ++line)
            page += gbk("<div>这是一段用来填充结果块的摘要文字 lorem ipsum dolor sit amet</div>\n");
        page += "<span class=\"g\">www.site" + std::to_string(i) + ".com/ </span>\n</td></tr></table>\n";
    }
    ASSERT_GT(page.size(), 250'000U);
    PatternMatcher tables;
    tables.execute("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", page);
    ASSERT_EQ(tables.matchCount(), 100);
    EXPECT_EQ(tables.subMatchText(100, 1), "100");
    PatternMatcher entries;
    entries.execute("<span class=.g.>.*?</span>", tables.matchText(17));
    EXPECT_EQ(allMatches(entries), std::vector<Text> {"<span class=\"g\">www.site17.com/ </span>"});
}

TEST(PatternMatcherTest, SearchThatExceedsTheWorkLimitEndsTheMatchList)
{
    // The second search backtracks exponentially over the run of a's; without
    // a bound it would eventually find "aab" at the end.
    const Text subject = "ab " + std::string(40, 'a') + "c aab";
    PatternMatcher matcher;
    EXPECT_TRUE(matcher.execute("(a+)+b", subject));
    EXPECT_EQ(allMatches(matcher), std::vector<Text> {"ab"});
    EXPECT_TRUE(matcher.gaveUp()) << "an end at the limit is no end of the matches";
    EXPECT_TRUE(matcher.copy().gaveUp());

    // The object stays usable.
    matcher.execute("a+b", subject);
    EXPECT_EQ(allMatches(matcher), (std::vector<Text> {"ab", "aab"}));
    EXPECT_FALSE(matcher.gaveUp());

    // A JIT stack or depth overflow is a limit too: one frame per repetition of
    // an alternation over a long run.
    matcher.execute("(?:a|b)*+c|(a|b)*d", std::string(2'000'000, 'a'));
    EXPECT_TRUE(matcher.gaveUp());
    EXPECT_EQ(matcher.matchCount(), 0);

    // A lowered limit on this thread makes an ordinary search give up, until
    // it is lifted.
    {
        const PatternMatcher::ScopedWorkLimit lowered(10);
        matcher.execute("a.*?b", subject);
        EXPECT_TRUE(matcher.gaveUp());
    }
    matcher.execute("a.*?b", subject);
    EXPECT_FALSE(matcher.gaveUp());
}

} // namespace
} // namespace zv
