#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace zv {
namespace {

// Code page 936 characters whose trail byte equals an ASCII character.
const Text kTrailPipe = "\x81\x7C"; // trail byte "|"
const Text kTrailBackslash = "\x95\x5C"; // trail byte "\"
const Text kTrailUnderscore = "\x81\x5F"; // trail byte "_"
const Text kTrailUpperA = "\x81\x41"; // trail byte "A"
const Text kTrailLowerA = "\x81\x61"; // trail byte "a"
const Text kZhong = "\xD6\xD0"; // 中
const Text kWen = "\xCE\xC4"; // 文
const Text kFullWidthBlank = "\xA1\xA1";
const Text kFullWidthComma = "\xA3\xAC";

struct FindCase
{
    const char* name;
    Text hay;
    Text needle;
    std::size_t start;
    bool ignoreCase;
    std::size_t expected;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const FindCase& c, std::ostream* os)
{
    *os << c.name;
}

class FindTextTest : public testing::TestWithParam<FindCase>
{
};

TEST_P(FindTextTest, FindsOnCharacterBoundariesOnly)
{
    const FindCase& c = GetParam();
    EXPECT_EQ(findText(c.hay, c.needle, c.start, c.ignoreCase), c.expected);
    if (c.start == 1) {
        EXPECT_EQ(containsText(c.hay, c.needle, c.ignoreCase), c.expected != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FindTextTest,
                         testing::Values(FindCase {"plain", "abcabc", "ca", 1, false, 3},
                                         FindCase {"emptyNeedle", "abc", "", 1, false, 0},
                                         FindCase {"pipeTrail", kTrailPipe + "|", "|", 1, false, 3},
                                         FindCase {"backslashTrail", kTrailBackslash + "x\\", "\\", 1, false, 4},
                                         FindCase {"letterTrail", kTrailUpperA + "A", "A", 1, false, 3},
                                         // The bytes first occur across two characters, then whole.
                                         FindCase {"straddlingThenWhole", kTrailLowerA + "bab", "ab", 1, false, 4},
                                         FindCase {"straddlingOnly", kTrailLowerA + "b", "ab", 1, false, 0},
                                         FindCase {"caseFolded", "xABc", "abC", 1, true, 2},
                                         FindCase {"caseKept", "xABc", "abC", 1, false, 0},
                                         // Folding applies to ASCII characters, never to a trail byte.
                                         FindCase {"trailNotFolded", kTrailUpperA, kTrailLowerA, 1, true, 0},
                                         FindCase {"chinese", "a" + kZhong + kWen, kWen, 1, false, 4},
                                         // A needle ending in a lone lead byte must not match half a character.
                                         FindCase {"loneLeadNeedle", "a" + kZhong, "a\xD6", 1, false, 0},
                                         FindCase {"startSkips", "aXa", "a", 2, false, 3},
                                         FindCase {"startInsideCharacter", kZhong + "a" + kZhong, kZhong, 2, false, 4}),
                         [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(ReplaceAllTest, ReplacesWholeCharactersLeftToRight)
{
    EXPECT_EQ(replaceAll(kTrailPipe + "|a|" + kTrailPipe, "|", ","), kTrailPipe + ",a," + kTrailPipe);
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll(kZhong + kWen + kZhong, kZhong, ""), kWen);
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

struct SplitCase
{
    const char* name;
    Text s;
    Text sep;
    std::vector<Text> expected;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}

class SplitTextTest : public testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitTextTest, FollowsTheSplittingRule)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitText(c.s, c.sep), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    testing::Values(SplitCase {"three", "a,b,c", ",", {"a", "b", "c"}}, SplitCase {"emptyText", "", ",", {}},
                    SplitCase {"noSeparator", "abc", ",", {"abc"}},
                    SplitCase {"leadingSeparator", ",a", ",", {"", "a"}},
                    SplitCase {"doubledSeparator", "a,,b", ",", {"a", "", "b"}},
                    SplitCase {"trailingSeparator", "a,", ",", {"a"}}, SplitCase {"onlySeparator", ",", ",", {""}},
                    SplitCase {"trailByteNotASeparator", kTrailUnderscore + "_x", "_", {kTrailUnderscore, "x"}},
                    SplitCase {"pipeTrail", kTrailPipe + "|" + kTrailPipe, "|", {kTrailPipe, kTrailPipe}},
                    SplitCase {"fullWidthComma", kZhong + kFullWidthComma + kWen, kFullWidthComma, {kZhong, kWen}},
                    SplitCase {"multiByteSeparator", "a::b::", "::", {"a", "b"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(TrimBlanksTest, RemovesAsciiAndFullWidthBlanksAtBothEnds)
{
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks(kFullWidthBlank + " " + kZhong + kFullWidthBlank + " "), kZhong);
    EXPECT_EQ(trimBlanks(kFullWidthBlank + "  "), "");
    EXPECT_EQ(trimBlanks("\tx\t"), "\tx\t");
    // 啊 (B0 A1) then a full-width blank: the A1 A1 at the end is the blank.
    EXPECT_EQ(trimBlanks("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    // 啊 then a lone A1: the last two bytes are A1 A1 but no blank.
    EXPECT_EQ(trimBlanks("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

struct IntegerCase
{
    const char* name;
    Text s;
    int expected;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << c.name;
}

class LeadingIntegerTest : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(LeadingIntegerTest, ReadsTheLeadingNumber)
{
    EXPECT_EQ(leadingInteger(GetParam().s), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LeadingIntegerTest,
                         testing::Values(IntegerCase {"plain", "123abc", 123}, IntegerCase {"rankText", "3. 17 ", 3},
                                         IntegerCase {"notFound", "300\xC3\xFB\xD2\xD4\xBA\xF3 :(", 300},
                                         IntegerCase {"blanksAndSign", "  -45", -45},
                                         IntegerCase {"noDigits", "abc", 0}, IntegerCase {"signAlone", "- 5", 0},
                                         IntegerCase {"fullWidthDigits", "\xA3\xB1\xA3\xB2", 12},
                                         IntegerCase {"mixedDigits",
                                                      "1\xA3\xB2"
                                                      "3",
                                                      123},
                                         IntegerCase {"fullWidthBlank", kFullWidthBlank + " 8", 8},
                                         IntegerCase {"overflow", "2147483648", INT_MAX},
                                         IntegerCase {"underflow", "-99999999999999999999", INT_MIN}),
                         [](const testing::TestParamInfo<IntegerCase>& info) { return std::string(info.param.name); });

TEST(BoundaryConversionTest, RoundTripsAndReplacesWhatCannotConvert)
{
    const std::string utf8 = "\xE4\xB8\xAD"
                             "a";
    EXPECT_EQ(gbkToUtf8String(kZhong + "a"), utf8);
    EXPECT_EQ(utf8ToGbkString(utf8), kZhong + "a");
    // Hangul has no place in code page 936; a malformed byte is replaced too.
    EXPECT_EQ(utf8ToGbkString("x\xEA\xB0\x80y\xFF" + utf8), "x?y?" + kZhong + "a");
    // NUL bytes are data here, not terminators.
    EXPECT_EQ(gbkToUtf8String(std::string("a\0b", 3)), std::string("a\0b", 3));
}

} // namespace
} // namespace zv
