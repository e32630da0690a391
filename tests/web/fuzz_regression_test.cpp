#include "tests/fuzz/corpus_replay.h"
#include "tests/fuzz/web_checks.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(WebFuzzCorpus, EveryKeptInputKeepsItsProperties)
{
    EXPECT_GT(fuzz::replayCorpus("pattern_pages", fuzz::checkPatternPages), 0);
    EXPECT_GT(fuzz::replayCorpus("pattern_engine", fuzz::checkPatternEngine), 0);
    EXPECT_GT(fuzz::replayCorpus("codepage", fuzz::checkCodepage), 0);
    EXPECT_GT(fuzz::replayCorpus("url", fuzz::checkUrl), 0);
}

// "\C" stands for one byte of a character: it used to give a match per UTF-8
// byte, empty texts cut from the middle of characters, and searches resumed
// inside a character.
TEST(PatternMatcherHostile, OneByteEscapeIsAnInvalidPattern)
{
    PatternMatcher matcher;
    matcher.execute("\\C", utf8ToGbkString("中文ab"));
    EXPECT_EQ(matcher.matchCount(), 0);
    matcher.execute("a\\Cb", "axb");
    EXPECT_EQ(matcher.matchCount(), 0);
    // An escaped backslash before a C is still an ordinary pattern.
    matcher.execute("\\\\C", "a\\Cb");
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.matchText(1), "\\C");
}

} // namespace
} // namespace zv
