// What the readers take out of the pages the queries fetch: rank entries,
// overview figures, home-page keywords, index picture addresses. Pages are written here in UTF-8 and handed over
// as the program sees them (GBK after conversion).

#include "readers/home_page_keywords.h"
#include "readers/index_page.h"
#include "readers/overview_page.h"
#include "readers/rank_page.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

Text g(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

std::string resultBlock(int position, const std::string& lines)
{
    return "<table class=\"result\" id=\"" + std::to_string(position) + "\" cellpadding=\"0\">\n<tr><td>\n"
        + "<h3><a href=\"#\">标题</a></h3>\n" + lines + "</td></tr>\n</table>\n";
}

std::string addressLine(const std::string& address)
{
    return "<span class=\"g\">" + address + " 2024-5-6 </span>\n";
}

TEST(RankEntries, HomePageAndOtherPagesInPageOrder)
{
    std::string page = "<html><body>\n";
    page += resultBlock(1, addressLine("www.other.com/"));
    page += resultBlock(2, addressLine("www.example.com.cn/"));
    page += resultBlock(3, addressLine("www.example.com/"));
    page += resultBlock(4, addressLine("blog.other.com/a.html"));
    page += resultBlock(17, addressLine("www.example.com/news/1.html"));
    page += "</body></html>";
    // "www.example.com.cn/" contains the address but not "www.example.com/ ",
    // so it counts as a page of the site without the home-page mark.
    EXPECT_EQ(siteRankEntries(g(page), "www.example.com"), "2 3. 17 ");
    EXPECT_EQ(recordedRank(siteRankEntries(g(page), "www.example.com")), 2);
}

TEST(RankEntries, OneEntryPerBlockDecidedByItsFirstMatchingLine)
{
    // Two lines of one block both name the site: one entry. The first line
    // that names the site decides the mark.
    const std::string twoLines
        = resultBlock(5, addressLine("www.example.com/a.html") + addressLine("www.example.com/"));
    EXPECT_EQ(siteRankEntries(g(twoLines), "www.example.com"), "5 ");

    const std::string homeFirst
        = resultBlock(8, addressLine("www.other.com/") + addressLine("www.example.com/") + addressLine("x"));
    EXPECT_EQ(siteRankEntries(g(homeFirst), "www.example.com"), "8. ");
}

TEST(RankEntries, OnlyExactAddressLinesCount)
{
    std::string page;
    // Upper case, mark-up inside the host, the address outside an address line.
    page += resultBlock(1, addressLine("WWW.EXAMPLE.COM/"));
    page += resultBlock(2, addressLine("www.exa<b>mple</b>.com/"));
    page += resultBlock(3, "<h4>www.example.com/</h4>\n" + addressLine("www.other.com/"));
    page += resultBlock(4, "<span class=\"g\">www.example\n.com/ </span>\n");
    EXPECT_EQ(siteRankEntries(g(page), "www.example.com"), "");
    // The address as selected must occur exactly, letter case included; the
    // tags themselves may be in capitals.
    EXPECT_EQ(siteRankEntries(g(page), "WWW.EXAMPLE.COM"), "1. ");
    const std::string capitals
        = "<TABLE ID=\"42\"><TR><TD><SPAN CLASS='g'>站点 www.example.com/ </SPAN></TD></TR></TABLE>";
    EXPECT_EQ(siteRankEntries(g(capitals), "www.example.com"), "42. ");
}

TEST(RankTexts, RecordedValueAndNotFoundText)
{
    EXPECT_EQ(recordedRank("3. 17 "), 3);
    EXPECT_EQ(recordedRank("5 "), 5);
    EXPECT_EQ(recordedRank(g("300名以后 :(")), 0);
    EXPECT_EQ(recordedRank(""), 0);
    EXPECT_EQ(recordedRank(g("１２ ")), 12); // full-width digits
    EXPECT_EQ(notRankedText(0), g("100名以后 :("));
    EXPECT_EQ(notRankedText(2), g("300名以后 :("));
    EXPECT_EQ(notRankedText(7), g("800名以后 :("));
    EXPECT_EQ(rankFailedText(), g("查询失败"));
}

TEST(RankTexts, SearchAddressEncodesTheKeywordAsUtf8)
{
    EXPECT_EQ(rankSearchAddress(g("中文 a_b"), 3),
              "http://www.baidu.com/s?wd=%E4%B8%AD%E6%96%87%20a%5Fb&pn=200&rn=100&ie=utf-8");
}

TEST(OverviewPages, SnapshotIsTakenFromTheFirstLineNamingTheSite)
{
    PatternMatcher tables;
    PatternMatcher entries;
    std::string page;
    page += resultBlock(1, "<span class=\"g\"><b>www.other.com</b>/ 2024-1-1</span>\n");
    page += resultBlock(2,
                        "<span class=\"g\">no bold www.example.com/ 2024-1-2</span>\n"
                        "<span class=\"g\"><b>www.example.com</b>/ 2024-5-6 </span>\n");
    page += resultBlock(3, "<span class=\"g\"><b>www.example.com</b>/ 2024-9-9</span>\n");
    const auto snapshot = snapshotText(g(page), "www.example.com", tables, entries);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(*snapshot, " 2024-5-6 ");

    EXPECT_FALSE(snapshotText(g(resultBlock(1, "<span class=\"g\"><b>www.other.com</b>/ 1</span>")), "www.example.com",
                              tables, entries));
    EXPECT_FALSE(snapshotText("", "www.example.com", tables, entries));
    // A line naming the site with nothing after its "/" gives an empty date.
    const auto empty = snapshotText(g(resultBlock(4, "<span class=\"g\"><b>www.example.com</b>/</span>")),
                                    "www.example.com", tables, entries);
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, "");
}

TEST(OverviewPages, CountsAreShownAsCapturedAndRecordedAsNumbers)
{
    PatternMatcher matcher;
    const Text indexedPage = g("<div>百度为您找到相关结果数1,234个</div><div>找到相关结果数99个</div>");
    const Text indexed = countText(OverviewFigure::Indexed, indexedPage, matcher);
    EXPECT_EQ(indexed, "1,234");
    EXPECT_EQ(overviewNumber(indexed), 1234);

    const Text about = countText(OverviewFigure::IndexedWeek, g("找到相关结果数约300个"), matcher);
    EXPECT_EQ(about, g("约300"));
    EXPECT_EQ(overviewNumber(about), 0);

    const Text backlinksPage = g("<span class=\"nums\" style=\"x\">百度为您找到相关结果约5,000个</span>");
    const Text backlinks = countText(OverviewFigure::Backlinks, backlinksPage, matcher);
    EXPECT_EQ(backlinks, "5,000");
    EXPECT_EQ(overviewNumber(backlinks), 5000);
    // The backlinks pattern wants the count inside its "nums" span.
    EXPECT_EQ(countText(OverviewFigure::Backlinks, indexedPage, matcher), "");

    EXPECT_EQ(countText(OverviewFigure::IndexedToday, "", matcher), "");
    EXPECT_EQ(countText(OverviewFigure::IndexedMonth, g("没有结果"), matcher), "");
    EXPECT_EQ(overviewNumber(""), 0);
    EXPECT_EQ(overviewNumber(" 1,000,000"), 1000000);
    EXPECT_EQ(overviewNumber(g("无")), 0);
}

TEST(HomePageKeywords, NameBeforeContentInAUtf8Page)
{
    const std::string page = "<html><head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
                             "<meta name=\"keywords\" content=\"网站优化,排名查询,SEO工具\" />\n</head></html>";
    const Text text = homePageKeywordText(page).value_or("-");
    EXPECT_EQ(text, g("网站优化,排名查询,SEO工具 "));
    const std::vector<Text> expected {g("网站优化"), g("排名查询"), g("SEO工具 ")};
    EXPECT_EQ(splitHomePageKeywords(text), expected);
}

TEST(HomePageKeywords, ContentBeforeName)
{
    const std::string page = "<meta charset=\"utf-8\">\n<meta content=\"alpha,beta\" name=\"keywords\">\n";
    // The second pattern stops at "keywords"; removing "name=" leaves a blank.
    EXPECT_EQ(homePageKeywordText(page), "alpha,beta ");
    // A later tag with a content attribute on the same line is what the first
    // pattern captures.
    const std::string sameLine = "<meta content=\"a,b\" name=\"keywords\"><meta name=\"d\" content=\"c_d\">";
    EXPECT_EQ(homePageKeywordText(sameLine), "c_d");
}

TEST(HomePageKeywords, CharacterSetDecidesTheConversion)
{
    const std::string upper = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=UTF-8\">\n"
                              "<META NAME=\"Keywords\" CONTENT=\"中文，关键词\">";
    EXPECT_EQ(homePageKeywordText(upper), g("中文，关键词"));

    // Declared only in the HTTP header: the UTF-8 bytes stay as they came.
    const std::string undeclared = "<meta name=\"keywords\" content=\"中文\">";
    EXPECT_EQ(homePageKeywordText(undeclared), "\xE4\xB8\xAD\xE6\x96\x87");

    // A GBK page is taken as it is.
    const std::string gbkPage = "<meta charset=\"gbk\"><meta name=\"keywords\" content=\"" + g("网站，优化") + "\">";
    EXPECT_EQ(homePageKeywordText(gbkPage), g("网站，优化"));
}

TEST(HomePageKeywords, MissingOrBrokenTagGivesNothing)
{
    EXPECT_EQ(homePageKeywordText(""), "");
    EXPECT_EQ(homePageKeywordText("<html><meta name=\"description\"></html>"), "");
    EXPECT_EQ(homePageKeywordText("<meta name=\"keywords\"\ncontent=\"a,b\">"), "");
    EXPECT_TRUE(splitHomePageKeywords("").empty());
    // The page ends at its first NUL byte.
    EXPECT_EQ(homePageKeywordText(std::string("<p>\0</p><meta name=\"keywords\" content=\"a\">", 42)), "");
}

TEST(HomePageKeywords, CleaningTrimsBlanksAndRemovesMarks)
{
    const std::string page = "<meta name=\"keywords\" content=\"" + g("　") + " it's/a name=b \">";
    // Trimming runs before the removals: the quotation marks protect the
    // blanks inside them, which stay.
    EXPECT_EQ(homePageKeywordText(page), g("　 itsa b "));
    const std::string unquoted = "<meta name=keywords content=" + g("　") + "a/b ' >";
    EXPECT_EQ(homePageKeywordText(unquoted), "ab ");
}

TEST(HomePageKeywords, SeparatorChoiceAndSplitting)
{
    using List = std::vector<Text>;
    EXPECT_EQ(splitHomePageKeywords(g("甲，乙，丙")), (List {g("甲"), g("乙"), g("丙")}));
    EXPECT_EQ(splitHomePageKeywords(g("甲,乙，丙")), (List {g("甲"), g("乙，丙")}));
    EXPECT_EQ(splitHomePageKeywords("seo_tool_x"), (List {"seo", "tool", "x"}));
    EXPECT_EQ(splitHomePageKeywords("a_b,c"), (List {"a_b", "c"}));
    EXPECT_EQ(splitHomePageKeywords("a|b c"), (List {"a", "b c"}));
    EXPECT_EQ(splitHomePageKeywords("a b"), (List {"a", "b"}));
    EXPECT_EQ(splitHomePageKeywords("a, b"), (List {"a", " b"}));
    EXPECT_EQ(splitHomePageKeywords(",a,,b,"), (List {"", "a", "", "b"}));
    EXPECT_EQ(splitHomePageKeywords(g("单个")), (List {g("单个")}));
    // A trail byte equal to "_" (俖 is 0x82 0x5F) or "|" (億 is 0x83 0x7C) is
    // not a separator.
    EXPECT_EQ(splitHomePageKeywords(g("俖億 元")), (List {g("俖億"), g("元")}));
}

TEST(IndexPage, RequestAndThePictureOfTheExactKeyword)
{
    EXPECT_EQ(indexServiceAddress(), "http://index.zeravudez.com/baidu/words.aspx");
    EXPECT_EQ(indexRequestBody(g("网站 a_b")), "kw=%E7%BD%91%E7%AB%99%20a%5Fb");

    const auto row = [](const std::string& keyword, const std::string& picture) {
        return "<tr class=\"row\" id=\"index1\"><td><span  ><em>" + keyword + "</em></span></td>\n<td><img src=\""
            + picture + "\" /></td></tr>\n";
    };
    const Text page
        = g("<table>" + row("SEO", "/p/1.png") + row("seo", "/p/2.png") + row("网站", "/p/3.png") + "</table>");
    // The keyword cell must equal the keyword, letter case included.
    EXPECT_EQ(indexPictureAddress(page, "seo"), "http://index.zeravudez.com/p/2.png");
    EXPECT_EQ(indexPictureAddress(page, "SEO"), "http://index.zeravudez.com/p/1.png");
    EXPECT_EQ(indexPictureAddress(page, g("网站")), "http://index.zeravudez.com/p/3.png");
    EXPECT_EQ(indexPictureAddress(page, "se"), "");
    EXPECT_EQ(indexPictureAddress("", "seo"), "");

    // A row whose cells the patterns give up on gives no address, and the
    // matcher says the answer was not read whole.
    std::string junk;
    for (int i = 0; i < 2'000; ++i)
        junk += "<span  ><em>";
    const PageForm hostile(ByteBlock("<table>" + row(junk, "/p/0.png") + row("seo", "/p/2.png") + "</table>"));
    PageMatcher rows;
    PageMatcher cells;
    const PatternMatcher::ScopedWorkLimit lowered(20'000);
    EXPECT_EQ(indexPictureAddress(hostile, "seo", rows, cells), "");
    EXPECT_TRUE(rows.gaveUp() || cells.gaveUp());
}

} // namespace
} // namespace zv
