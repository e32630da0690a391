#include "web/url.h"

#include <gtest/gtest.h>

#include <climits>

namespace zv {
namespace {

struct UrlCase
{
    const char* name;
    const char* url;
    const char* host;
    int port;
    const char* path;
};

// Shown for a failing case instead of its bytes.
void PrintTo(const UrlCase& c, std::ostream* os)
{
    *os << c.name;
}

class UrlSplitTest : public ::testing::TestWithParam<UrlCase>
{
};

TEST_P(UrlSplitTest, SplitsIntoHostPortAndPath)
{
    const UrlCase& c = GetParam();
    EXPECT_EQ(urlHost(c.url), c.host);
    EXPECT_EQ(urlPort(c.url), c.port);
    EXPECT_EQ(urlPath(c.url), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, UrlSplitTest,
    ::testing::Values(
        // Prefix in capitals, host lowered, path keeps its case.
        UrlCase {"prefixInCapitals", "HTTP://Alpha:8080/a/b?c=d", "alpha", 8080, "/a/b?c=d"},
        UrlCase {"hostLoweredPathKeptAsIs", "Http://www.Example.COM/Index.HTML", "www.example.com", 80, "/Index.HTML"},
        // No prefix.
        UrlCase {"noPrefixWithPort", "Alpha:81/x?y", "alpha", 81, "/x?y"},
        UrlCase {"noPrefixNoPort", "alpha/x", "alpha", 80, "/x"},
        // Nothing after the authority.
        UrlCase {"hostOnly", "http://alpha", "alpha", 80, "/"},
        UrlCase {"hostAndSlash", "http://alpha/", "alpha", 80, "/"},
        UrlCase {"hostAndPortOnly", "http://alpha:8080", "alpha", 8080, "/"},
        UrlCase {"prefixOnly", "http://", "", 80, "/"},
        // "?", "#" and "@" do not end the authority.
        UrlCase {"questionMarkInHost", "http://alpha?x=1", "alpha?x=1", 80, "/"},
        UrlCase {"atSignInHost", "http://u@alpha/p", "u@alpha", 80, "/p"},
        UrlCase {"fragmentInPath", "http://alpha/b#frag", "alpha", 80, "/b#frag"},
        // Empty, non-numeric and partly numeric ports.
        UrlCase {"emptyPort", "alpha:/x", "alpha", 0, "/x"}, UrlCase {"nonNumericPort", "alpha:x/y", "alpha", 0, "/y"},
        UrlCase {"partlyNumericPort", "alpha:81abc/", "alpha", 81, "/"},
        // Only the first ":" counts.
        UrlCase {"onlyFirstColonCounts", "a:1:2", "a", 1, "/"},
        // Nothing is trimmed: a leading blank hides the prefix.
        UrlCase {"leadingBlankHidesPrefix", " http://alpha/x", " http", 0, "//alpha/x"},
        // A single slash is no prefix either.
        UrlCase {"singleSlashIsNoPrefix", "http:/alpha/x", "http", 0, "/alpha/x"},
        UrlCase {"emptyAddress", "", "", 80, "/"},
        // Hosts that also occur inside the prefix still give the real path.
        UrlCase {"oneLetterHostInPrefix", "http://h/x", "h", 80, "/x"},
        UrlCase {"hostNamedHttp", "http://http/x", "http", 80, "/x"},
        UrlCase {"hostInsidePrefix", "HTTP://TP:81/x", "tp", 81, "/x"}),
    [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

// The port text is read like a C decimal number: blanks, sign, fraction and
// exponent, stopping at the first other character, truncated toward zero.
INSTANTIATE_TEST_SUITE_P(
    PortNumbers, UrlSplitTest,
    ::testing::Values(
        UrlCase {"blankBeforePort", "a: 81/", "a", 81, "/"}, UrlCase {"plusSign", "a:+81/", "a", 81, "/"},
        UrlCase {"minusSign", "a:-5/", "a", -5, "/"}, UrlCase {"fractionTruncated", "a:8.9/", "a", 8, "/"},
        UrlCase {"negativeFractionTruncated", "a:-8.9/", "a", -8, "/"}, UrlCase {"exponent", "a:1e3/", "a", 1000, "/"},
        UrlCase {"exponentWithoutDigits", "a:1e/", "a", 1, "/"}, UrlCase {"fractionOnly", "a:.5/", "a", 0, "/"},
        UrlCase {"trailingPoint", "a:5./", "a", 5, "/"}, UrlCase {"hexadecimalNotRead", "a:0x50/", "a", 0, "/"},
        UrlCase {"infinityNotRead", "a:inf/", "a", 0, "/"}, UrlCase {"signAlone", "a:+/", "a", 0, "/"},
        UrlCase {"tooLargeClampedUp", "a:99999999999/", "a", INT_MAX, "/"},
        UrlCase {"tooSmallClampedDown", "a:-1e300/", "a", INT_MIN, "/"},
        UrlCase {"hugeExponentClampedUp", "a:1e999/", "a", INT_MAX, "/"}),
    [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

// A byte of 0x81 or above starts a two-byte character; its second byte is
// never taken for "/" or ":" and never lowered. 0x80 is a character of
// its own in code page 936.
INSTANTIATE_TEST_SUITE_P(DoubleByteCharacters, UrlSplitTest,
                         ::testing::Values(UrlCase {"chineseHostAndPath", "http://\xD6\xD0\xCE\xC4.cn/\xB0\xA1",
                                                    "\xD6\xD0\xCE\xC4.cn", 80, "/\xB0\xA1"},
                                           UrlCase {"trailByteNotLowered",
                                                    "http://\xB0"
                                                    "AB/x",
                                                    "\xB0"
                                                    "Ab",
                                                    80, "/x"},
                                           UrlCase {"trailByteNotASlash", "http://a\x81/b/c", "a\x81/b", 80, "/c"},
                                           UrlCase {"byte80IsACharacter", "http://a\x80/b", "a\x80", 80, "/b"},
                                           UrlCase {"trailByteNotAColon", "a\x81:b:7/c", "a\x81:b", 7, "/c"},
                                           // A lone lead byte at the very end is a character of its own.
                                           UrlCase {"loneLeadByteAtTheEnd", "http://ab\x81", "ab\x81", 80, "/"}),
                         [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

struct AsciiHostCase
{
    const char* name;
    const char* host; // UTF-8, given to asciiHost as code page 936
    const char* ascii; // "" when the name has no ASCII form
};

class AsciiHostTest : public ::testing::TestWithParam<AsciiHostCase>
{
};

TEST_P(AsciiHostTest, GivesTheNameOnTheWire)
{
    const AsciiHostCase& c = GetParam();
    EXPECT_EQ(asciiHost(utf8ToGbkString(c.host)), c.ascii);
}

INSTANTIATE_TEST_SUITE_P(Names, AsciiHostTest,
                         ::testing::Values(
                             // ASCII names pass untouched, even those IDNA would map or refuse.
                             AsciiHostCase {"ascii", "www.example.com", "www.example.com"},
                             AsciiHostCase {"ascii_capitals_kept", "WWW.Example.COM", "WWW.Example.COM"},
                             AsciiHostCase {"ascii_underscore", "my_site.cn", "my_site.cn"},
                             AsciiHostCase {"ascii_digits_first", "163.com", "163.com"},
                             AsciiHostCase {"ascii_already_encoded", "xn--fiq228c.cn", "xn--fiq228c.cn"},
                             AsciiHostCase {"empty", "", ""},
                             // Chinese labels, alone and among ASCII ones.
                             AsciiHostCase {"chinese_label", "中文.cn", "xn--fiq228c.cn"},
                             AsciiHostCase {"chinese_top_level", "例子.中国", "xn--fsqu00a.xn--fiqs8s"},
                             AsciiHostCase {"mixed_labels", "www.中文.com", "www.xn--fiq228c.com"},
                             AsciiHostCase {"capitals_beside_chinese", "WWW.中文.CN", "www.xn--fiq228c.cn"},
                             // Full-width letters and the ideographic full stop fold to ASCII.
                             AsciiHostCase {"full_width_letters", "ｗｗｗ．中文。ｃｎ", "www.xn--fiq228c.cn"},
                             AsciiHostCase {"trailing_root_dot", "中文.cn.", "xn--fiq228c.cn."},
                             // Names IDNA refuses.
                             AsciiHostCase {"empty_label", "中文..cn", ""},
                             AsciiHostCase {"leading_hyphen", "-中文.cn", ""},
                             AsciiHostCase {"broken_ace_label", "xn--中文.cn", ""},
                             AsciiHostCase {"label_too_long",
                                            "中文中文中文中文中文中文中文中文中文中文中文中文中文中文中文中文中文中文中"
                                            "文中文中文中文中文中文中文中文中文中"
                                            "文中文中文中文中文中文中文.cn",
                                            ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AsciiHost, BytesThatAreNoCharacterHaveNoAsciiForm)
{
    // A lead byte before "." and a lone lead byte at the end.
    EXPECT_EQ(asciiHost("\xD6\xD0\x81.cn"), "");
    EXPECT_EQ(asciiHost("\xD6\xD0.c\x81"), "");
}

} // namespace
} // namespace zv
