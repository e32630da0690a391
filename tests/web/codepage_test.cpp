#include "web/codepage.h"

#include "web/event_hook.h"

#include <gtest/gtest.h>

#include <string>

namespace zv {
namespace {

const Text kZhongWen = "\xD6\xD0\xCE\xC4"; // 中文

struct EncodeCase
{
    const char* name;
    Text text;
    bool keepSafe;
    bool asUtf8;
    Text expected;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const EncodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class UrlEncodeTest : public testing::TestWithParam<EncodeCase>
{
};

TEST_P(UrlEncodeTest, EncodesEachByte)
{
    const EncodeCase& c = GetParam();
    EXPECT_EQ(urlEncode(c.text, c.keepSafe, c.asUtf8), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlEncodeTest,
                         testing::Values(EncodeCase {"utf8Chinese", kZhongWen, true, true, "%E4%B8%AD%E6%96%87"},
                                         EncodeCase {"safeKept", "Ab9,-./z", true, true, "Ab9,-./z"},
                                         EncodeCase {"narrowSafeSet", "a b_~*+", true, true, "a%20b%5F%7E%2A%2B"},
                                         EncodeCase {"everyByte", "A1", false, true, "%41%31"},
                                         EncodeCase {"codePageBytes", kZhongWen, true, false, "%D6%D0%CE%C4"},
                                         EncodeCase {"defaults", "A " + kZhongWen, false, false, "%41%20%D6%D0%CE%C4"},
                                         EncodeCase {"leadingZero", "\t\x01", true, true, "%09%01"},
                                         EncodeCase {"empty", "", true, true, ""},
                                         EncodeCase {"endsAtNul", std::string("a\0b", 3), true, false, "a"},
                                         EncodeCase {"endsAtNulUtf8", std::string("a\0b", 3), true, true, "a"}),
                         [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

TEST(UrlEncodeEventsTest, ProcessesEventsAfterEveryEncodedByte)
{
    int calls = 0;
    setProcessEventsHook([&calls] { ++calls; });
    const Text encoded = urlEncode(kZhongWen + "a", true, true);
    setProcessEventsHook(nullptr);
    EXPECT_EQ(encoded, "%E4%B8%AD%E6%96%87a");
    EXPECT_EQ(calls, 7);
}

TEST(Utf8ToGbkTest, ConvertsPagesIntoText)
{
    EXPECT_EQ(utf8ToGbk(""), "");
    EXPECT_EQ(utf8ToGbk("<html>ok</html>"), "<html>ok</html>");
    EXPECT_EQ(utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87"), kZhongWen);
    // A Hangul syllable has no code page 936 form; the rest converts.
    EXPECT_EQ(utf8ToGbk("a\xEA\xB0\x80\xE4\xB8\xAD"), "a?\xD6\xD0");
    // A malformed sequence is replaced and conversion carries on.
    EXPECT_EQ(utf8ToGbk("a\xC3(b"), "a?(b");
}

TEST(Utf8ToGbkTest, EndsAtTheFirstNulCharacter)
{
    EXPECT_EQ(utf8ToGbk(ByteBlock("ab\0cd", 5)), "ab");
    EXPECT_EQ(utf8ToGbk(ByteBlock("\0x", 2)), "");
}

TEST(Utf8ToGbkTest, ComposesBaseAndCombiningMark)
{
    // e + combining acute has no code page 936 form of its own, but the
    // precomposed e-acute does (A8 A6).
    EXPECT_EQ(utf8ToGbk("e\xCC\x81"), "\xA8\xA6");
    EXPECT_EQ(utf8ToGbk("a\xCC\x80x"), "\xA8\xA4x");
    // A compatibility ideograph that code page 936 holds keeps its own bytes.
    EXPECT_EQ(utf8ToGbk("\xEF\xA4\xAC"), "\xFD\x9C");
}

TEST(GbkToUtf8Test, RoundTripsAndEndsAtNul)
{
    EXPECT_EQ(gbkToUtf8(kZhongWen + "x"), "\xE4\xB8\xAD\xE6\x96\x87x");
    EXPECT_EQ(utf8ToGbk(gbkToUtf8(kZhongWen + "x")), kZhongWen + "x");
    EXPECT_EQ(gbkToUtf8(Text("a\0b", 3)), "a");
    EXPECT_EQ(gbkToUtf8(""), "");
}

} // namespace
} // namespace zv
