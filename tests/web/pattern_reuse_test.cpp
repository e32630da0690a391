// One matcher run again and again, as the rank search runs its entry pattern
// over every result block: a compiled pattern is kept only while the pattern
// and its options stay the same.

#include "web/pattern_matcher.h"

#include "text/text.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(PatternReuse, EachRunUsesItsOwnPatternOptionsAndSubject)
{
    PatternMatcher matcher;
    struct Run
    {
        Text pattern;
        Text subject;
        bool caseSensitive;
        bool singleLine;
        int matches;
        Text first;
    };
    const Run runs[] = {
        {"a(b)", "AB ab", false, false, 2, "AB"},
        {"a(b)", "AB ab", true, false, 1, "ab"}, // same pattern, letter case now counts
        {"a(b)", "xx aB", false, false, 1, "aB"},
        {"^c$", "c\nc", false, false, 2, "c"},
        {"^c$", "c\nc", false, true, 0, ""}, // same pattern, one line now
        {"(x", "(x", false, false, 0, ""}, // invalid: no matches, nothing kept from before
        {"(x", "(x", false, false, 0, ""},
        {utf8ToGbkString("中(.)"), utf8ToGbkString("中文中国"), false, false, 2, utf8ToGbkString("中文")},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.pattern + " over " + run.subject);
        EXPECT_TRUE(matcher.execute(run.pattern, run.subject, run.caseSensitive, run.singleLine));
        EXPECT_EQ(matcher.patternText(), run.pattern);
        ASSERT_EQ(matcher.matchCount(), run.matches);
        EXPECT_EQ(matcher.matchText(1), run.first);
    }
    // A copy shares the compiled pattern but keeps its own matches.
    PatternMatcher copy = matcher.copy();
    matcher.execute(utf8ToGbkString("中(.)"), utf8ToGbkString("中人"));
    EXPECT_EQ(copy.matchCount(), 2);
    EXPECT_EQ(copy.subMatchText(2, 1), utf8ToGbkString("国"));
    EXPECT_EQ(matcher.subMatchText(1, 1), utf8ToGbkString("人"));
}

} // namespace
} // namespace zv
