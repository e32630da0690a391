// Search engine profiles: the built-in one and its file, a second engine's
// markup read through its profile, and the profiles the loader refuses.

#include "readers/engine_page.h"
#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace zv {
namespace {

Text g(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

std::string fileText(const std::string& relative)
{
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

EngineProfile loaded(const std::string& json)
{
    const EngineProfileLoad load = parseEngineProfile(json);
    EXPECT_TRUE(load.profile) << load.problem.text();
    return load.profile.value_or(EngineProfile {});
}

// A result page of the second engine, as its markup is fixed: list items,
// the displayed address in a div, the home page as "site/".
std::string exampleItem(int position, const std::string& address)
{
    return "<li class=\"result\" data-pos=\"" + std::to_string(position) + "\"><h3><a href=\"http://" + address
        + "\">标题</a></h3><div class=\"url\">" + address + "</div><p>摘要 www.shop-demo.cn/</p></li>\n";
}

std::string examplePage(const std::string& items)
{
    return "<html><head><title>网站优化 - 搜索结果</title></head><body><ol>\n" + items + "</ol></body></html>";
}

TEST(BuiltinEngine, ItsFileInTheDocsLoadsToTheSameProfile)
{
    const std::string json = fileText("docs/engines/baidu.json");
    ASSERT_FALSE(json.empty());
    EXPECT_EQ(loaded(json), builtinEngineProfile());
    EXPECT_EQ(builtinEngineProfile().host, "www.baidu.com");
}

TEST(BuiltinEngine, AsksTheAddressesTheSearchHasAlwaysAsked)
{
    const EngineProfile& engine = builtinEngineProfile();
    for (const char* keyword : {"网站优化", "seo 教程", "a&b=c/d", "100%"}) {
        for (int page = 1; page <= 8; ++page) {
            const Text fixed = "http://www.baidu.com/s?wd=" + urlEncode(g(keyword), true, true)
                + "&pn=" + std::to_string((page - 1) * 100) + "&rn=100&ie=utf-8";
            EXPECT_EQ(engineSearchAddress(engine, g(keyword), page), fixed) << keyword << " page " << page;
            EXPECT_EQ(rankSearchAddress(g(keyword), page), fixed);
        }
    }
    for (int range = 0; range < 8; ++range)
        EXPECT_EQ(enginePageCount(engine, range), range + 1);
}

TEST(SecondEngine, ItsProfileReadsItsMarkup)
{
    const EngineProfile engine = loaded(fileText("tests/engines/example.json"));
    EXPECT_EQ(engine.host, "search.example.com");
    EXPECT_EQ(engineSearchAddress(engine, g("网站 优化"), 1),
              "http://search.example.com/search?q=%E7%BD%91%E7%AB%99%20%E4%BC%98%E5%8C%96&first=1&count=100");
    EXPECT_EQ(engineSearchAddress(engine, g("seo"), 3), "http://search.example.com/search?q=seo&first=201&count=100");

    // Home page at 3, another page at 17, a longer address of another site
    // that merely contains the site's at 5, the site in a snippet only at 8.
    const std::string page
        = examplePage(exampleItem(1, "www.other.com/") + exampleItem(3, "www.shop-demo.cn/")
                      + exampleItem(5, "www.shop-demo.cn.evil.net/") + exampleItem(8, "www.third.org/a.html")
                      + exampleItem(17, "www.shop-demo.cn/news/1.html"));
    const PageForm form(page);
    PageMatcher blocks;
    PageMatcher lines;
    EXPECT_EQ(siteRankEntries(engine, form, "www.shop-demo.cn", blocks, lines), "3. 5 17 ");
    PatternMatcher textBlocks;
    PatternMatcher textLines;
    EXPECT_EQ(siteRankEntries(engine, g(page), "www.shop-demo.cn", textBlocks, textLines), "3. 5 17 ");
    EXPECT_TRUE(isResultPage(engine, form, blocks));
    EXPECT_FALSE(isVerificationPage(engine, form.text(), "search.example.com"));

    // The built-in profile finds nothing on it, not even a result page.
    EXPECT_EQ(siteRankEntries(form, "www.shop-demo.cn", blocks, lines), "");
    EXPECT_FALSE(isResultPage(builtinEngineProfile(), form, blocks));
}

TEST(SecondEngine, TellsItsNoticeAndItsCheck)
{
    const EngineProfile engine = loaded(fileText("tests/engines/example.json"));
    const PageForm none(examplePage("<div class=\"empty\">未找到与“某词”相关的结果</div>"));
    EXPECT_TRUE(isNoResultsNotice(engine, none.text()));
    EXPECT_FALSE(isNoResultsNotice(none.text())); // the built-in engine words its notice otherwise
    PageMatcher blocks;
    EXPECT_TRUE(isResultPage(engine, none, blocks));
    // The parts in the wrong order are no notice.
    EXPECT_FALSE(isNoResultsNotice(engine, g("相关的结果 未找到与")));

    const ByteBlock checkPage = "<html><head><title>人机验证</title></head><body>请稍候</body></html>";
    const Text check = g(checkPage);
    EXPECT_TRUE(isVerificationPage(engine, check, ""));
    EXPECT_TRUE(isVerificationPage(engine, check, "search.example.com"));
    EXPECT_TRUE(isVerificationPage(engine, g(examplePage("")), "verify.example.com"));
    EXPECT_FALSE(isVerificationPage(engine, g(examplePage("")), "SEARCH.Example.com"));
    EXPECT_FALSE(isResultPage(engine, PageForm(checkPage), blocks));
}

TEST(EngineProfiles, VerificationMarksWorkAsTheirFieldsSay)
{
    EngineProfile engine = loaded(fileText("tests/engines/example.json"));
    // Only the named check host counts when "*" is not given.
    engine.verification.redirectHosts = {"verify.example.com"};
    EXPECT_TRUE(isVerificationPage(engine, "", "Verify.Example.com"));
    EXPECT_FALSE(isVerificationPage(engine, "", "cdn.example.com"));
    engine.verification.redirectHosts.clear();
    EXPECT_FALSE(isVerificationPage(engine, "", "verify.example.com"));

    // Page words count only on a page with neither a result nor the notice;
    // without a result mark the block pattern tells a result.
    engine.verification.pageWords = {g("验证码")};
    EXPECT_TRUE(isVerificationPage(engine, g("<p>请输入验证码</p>"), ""));
    EXPECT_FALSE(isVerificationPage(engine, g(examplePage(exampleItem(1, "www.a.cn/验证码"))), ""));
    EXPECT_FALSE(isVerificationPage(engine, g("验证码 未找到与“验证码”相关的结果"), ""));
    engine.verification.resultMark = "<ol>";
    EXPECT_FALSE(isVerificationPage(engine, g("<OL>验证码"), ""));

    // A title word, unless the title ends as a result list's does.
    engine.verification.resultTitleEnd = g(" - 搜索结果");
    EXPECT_FALSE(isVerificationPage(engine, g("<title>人机验证 - 搜索结果</title>"), ""));
    EXPECT_TRUE(isVerificationPage(engine, g("<title>人机验证 - 请稍候</title>"), ""));
}

TEST(EngineProfiles, FewerResultsPerPageMeanMorePages)
{
    std::string json = fileText("tests/engines/example.json");
    json.replace(json.find("\"resultsPerPage\": 100"), 21, "\"resultsPerPage\": 50");
    const EngineProfile engine = loaded(json);
    EXPECT_EQ(enginePageCount(engine, 0), 2);
    EXPECT_EQ(enginePageCount(engine, 7), 16);
    EXPECT_EQ(engineSearchAddress(engine, "a", 2), "http://search.example.com/search?q=a&first=51&count=50");
}

TEST(EngineProfiles, PauseIsWholeSecondsLikeTheSettings)
{
    EXPECT_EQ(parseEnginePause("2-6"), (EnginePauseSeconds {2, 6}));
    EXPECT_EQ(parseEnginePause("0"), (EnginePauseSeconds {0, 0}));
    EXPECT_EQ(parseEnginePause("3600"), (EnginePauseSeconds {3600, 3600}));
    for (const char* bad : {"", "-", "6-2", "3601", "1-3601", "a", "1.5", "2-", "-2", " 2", "2 - 6", "00001"})
        EXPECT_FALSE(parseEnginePause(bad)) << bad;
}

struct BadProfile
{
    const char* name;
    // Replaces "from" in the second engine's file with "to"; an empty from
    // replaces the whole file.
    std::string from;
    std::string to;
    const char* field;
    const char* reason; // a part of the reason
};

class RefusedProfile : public ::testing::TestWithParam<BadProfile>
{
};

TEST_P(RefusedProfile, NamesTheFieldAndTheReason)
{
    const BadProfile& c = GetParam();
    std::string json = fileText("tests/engines/example.json");
    if (c.from.empty()) {
        json = c.to;
    } else {
        const std::size_t at = json.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        json.replace(at, c.from.size(), c.to);
    }
    const EngineProfileLoad load = parseEngineProfile(json);
    ASSERT_FALSE(load.profile);
    EXPECT_EQ(load.problem.field, c.field);
    EXPECT_NE(load.problem.reason.find(c.reason), std::string::npos) << load.problem.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, RefusedProfile,
    ::testing::Values(
        BadProfile {"empty_file", "", "", "", "not JSON"}, BadProfile {"not_json", "", "engine=x", "", "not JSON"},
        BadProfile {"cut_short", "", "{\"address\": \"http://a/", "", "not JSON"},
        BadProfile {"an_array", "", "[1, 2]", "", "must be a JSON object"},
        BadProfile {"missing_address", "\"address\"", "\"adress\"", "address", "missing"},
        BadProfile {"missing_block", "\"resultBlock\"", "\"description2\"", "resultBlock", "missing"},
        BadProfile {"unknown_field", "\"resultsPerPage\"", "\"pasue\": \"1\", \"resultsPerPage\"", "pasue",
                    "unknown field"},
        BadProfile {"missing_verification",
                    ",\n  \"verification\": {\n    \"redirectHosts\": [\"*\"],\n    "
                    "\"titleWords\": [\"人机验证\"],\n    \"resultTitleEnd\": \" - 搜索结果\"\n  }",
                    "", "verification", "missing"},
        BadProfile {"address_not_text", "\"http://search.example.com/search?q={keyword}&first={first}&count={count}\"",
                    "42", "address", "must be a string"},
        BadProfile {"address_without_keyword", "q={keyword}", "q=x", "address", "lacks {keyword}"},
        BadProfile {"address_not_http", "http://search", "https://search", "address", "http://"},
        BadProfile {"address_unknown_slot", "{count}", "{size}", "address", "unknown {...}"},
        BadProfile {"address_slot_in_host", "http://search.example.com", "http://{page}.example.com", "address",
                    "no fixed host"},
        BadProfile {"address_with_blank", "search?q", "search ?q", "address", "printable ASCII"},
        BadProfile {"pattern_refused", "[\\\\s\\\\S]*?</li>", "[\\\\s\\\\S*?</li>", "resultBlock",
                    "does not compile: missing terminating ]"},
        BadProfile {"pattern_with_one_byte_escape", "<div class=\\\"url\\\">.*?</div>", "\\\\C", "addressLine",
                    "does not compile"},
        BadProfile {"pattern_matching_nothing", "<div class=\\\"url\\\">.*?</div>", "x*", "addressLine", "empty text"},
        BadProfile {"no_such_group", "\"positionGroup\": 1", "\"positionGroup\": 2", "positionGroup",
                    "has no group 2 (it has 1)"},
        BadProfile {"group_zero", "\"positionGroup\": 1", "\"positionGroup\": 0", "positionGroup", "no group 0"},
        BadProfile {"group_not_whole", "\"positionGroup\": 1", "\"positionGroup\": 1.5", "positionGroup",
                    "whole number"},
        BadProfile {"group_as_text", "\"positionGroup\": 1", "\"positionGroup\": \"1\"", "positionGroup",
                    "whole number"},
        BadProfile {"home_page_without_site", "{site}/<", "/<", "homePage", "lacks {site}"},
        BadProfile {"no_notice", "[\"未找到与\", \"相关的结果\"]", "[]", "noResults", "at least one"},
        BadProfile {"notice_part_empty", "\"相关的结果\"", "\"\"", "noResults[1]", "must not be empty"},
        BadProfile {"notice_not_a_list", "[\"未找到与\", \"相关的结果\"]", "\"未找到与\"", "noResults",
                    "array of strings"},
        BadProfile {"title_word_not_text", "[\"人机验证\"]", "[\"人机验证\", 7]", "verification.titleWords[1]",
                    "must be a string"},
        BadProfile {"verification_unknown", "\"titleWords\"", "\"titleWord\"", "verification.titleWord",
                    "unknown field"},
        BadProfile {"verification_not_object",
                    "{\n    \"redirectHosts\": [\"*\"],\n    \"titleWords\": [\"人机验证\"],\n    "
                    "\"resultTitleEnd\": \" - 搜索结果\"\n  }",
                    "\"strict\"", "verification", "must be an object"},
        BadProfile {"text_outside_the_code_page", "人机验证", "人机验证😀", "verification.titleWords[0]",
                    "code page 936"},
        BadProfile {"encoding_unknown", "\"utf-8\"", "\"latin-1\"", "keywordEncoding", "\"gbk\""},
        BadProfile {"per_page_not_dividing", "\"resultsPerPage\": 100", "\"resultsPerPage\": 30", "resultsPerPage",
                    "10, 20, 25, 50 or 100"},
        BadProfile {"per_page_huge", "\"resultsPerPage\": 100", "\"resultsPerPage\": 1e300", "resultsPerPage",
                    "whole number"},
        BadProfile {"pause_reversed", "\"resultsPerPage\": 100", "\"resultsPerPage\": 100, \"pause\": \"6-2\"", "pause",
                    "MIN-MAX"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(EngineProfiles, CommentsAndOptionalFieldsAreAccepted)
{
    std::string json = fileText("tests/engines/example.json");
    json.insert(json.find('{') + 1, "\n  // the second engine\n  \"pause\": \"1-3\", \"keywordEncoding\": \"GBK\",");
    json.erase(json.find("\"keywordEncoding\": \"utf-8\","), 27);
    const EngineProfile engine = loaded(json);
    EXPECT_EQ(engine.pause, (EnginePauseSeconds {1, 3}));
    EXPECT_EQ(engine.keywordEncoding, KeywordEncoding::Gbk);
    EXPECT_EQ(engineSearchAddress(engine, g("中"), 1), "http://search.example.com/search?q=%D6%D0&first=1&count=100");
}

} // namespace
} // namespace zv
