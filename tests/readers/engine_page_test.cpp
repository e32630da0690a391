#include "readers/engine_page.h"

#include <gtest/gtest.h>

#include <string>

namespace zv {
namespace {

constexpr const char* kEngine = "www.baidu.com";

const char* const kResultPage = "<html><head><title>网站优化_百度搜索</title></head><body>"
                                "<table class=\"result\" id=\"1\"><tr><td><span class=\"g\">www.a.cn/ 2024-5-1</span>"
                                "</td></tr></table></body></html>";

struct PageCase
{
    const char* name;
    std::string page; // UTF-8; the routines get it as code page 936
    const char* finalHost;
    bool verification;
    bool noResults;
};

class EnginePageTest : public ::testing::TestWithParam<PageCase>
{
};

TEST_P(EnginePageTest, TellsTheEnginesOwnAnswers)
{
    const PageCase& c = GetParam();
    const Text page = utf8ToGbkString(c.page);
    EXPECT_EQ(isVerificationPage(page, c.finalHost, kEngine), c.verification);
    EXPECT_EQ(isNoResultsNotice(page), c.noResults);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, EnginePageTest,
    ::testing::Values(
        // Result pages, on the engine's host in any letter case or with no
        // host known.
        PageCase {"result_page", kResultPage, "www.baidu.com", false, false},
        PageCase {"result_page_host_in_capitals", kResultPage, "WWW.Baidu.COM", false, false},
        PageCase {"result_page_no_host_known", kResultPage, "", false, false},
        PageCase {"empty_page", "", "", false, false},
        // A redirection elsewhere is the check, whatever the page says.
        PageCase {"redirected_to_check_host", kResultPage, "wappass.baidu.com", true, false},
        PageCase {"redirected_elsewhere_empty", "", "www.other.cn", true, false},
        // The check page on the engine's own host.
        PageCase {"check_title", "<html><head><title>百度安全验证</title></head><body></body></html>", "www.baidu.com",
                  true, false},
        PageCase {"check_title_capitals_and_breaks", "<HTML><HEAD><TITLE lang=\"zh\">\n  百度安全验证 \n</TITLE>",
                  "www.baidu.com", true, false},
        PageCase {"asks_for_code",
                  "<html><head><title>百度一下</title></head><body><p>请输入验证码：</p></body></html>",
                  "www.baidu.com", true, false},
        PageCase {"asks_for_code_without_title", "<form>验证码<input name=\"vcode\"></form>", "", true, false},
        // Keywords about the check itself: their result pages and their
        // notice are no check.
        PageCase {"results_for_keyword_check",
                  "<title>百度安全验证_百度搜索</title><table id=\"1\"><tr><td>百度安全验证</td></tr></table>",
                  "www.baidu.com", false, false},
        PageCase {"results_mentioning_code",
                  "<title>验证码_百度搜索</title><TABLE id=\"1\"><tr><td>图片验证码识别</td></tr></TABLE>",
                  "www.baidu.com", false, false},
        PageCase {
            "no_results_for_keyword_code",
            "<title>验证码_百度搜索</title><div class=\"nors\"><p>很抱歉，没有找到与“<em>验证码</em>”相关的网页。</p>"
            "</div>",
            "www.baidu.com", false, true},
        // "_百度搜索" counts only as whole characters: in code page 936 the
        // bytes of "乢" are 0x81 "_".
        PageCase {"underscore_inside_a_character", "<title>安全验证乢百度搜索</title>", "www.baidu.com", true, false},
        // The notice, as the engine writes it and in a shorter form.
        PageCase {"no_results_notice",
                  "<div class=\"nors\"><p>很抱歉，没有找到与<span style=\"font-family:宋体\">“</span><em>网站优化x</em>"
                  "<span style=\"font-family:宋体\">”</span>相关的网页。</p></div>",
                  "www.baidu.com", false, true},
        PageCase {"no_results_short_form", "<p>抱歉，没有找到与“abc”相关的网页。</p>", "", false, true},
        PageCase {"notice_parts_in_wrong_order", "<p>相关的网页……没有找到与“abc”</p>", "", false, false},
        PageCase {"notice_first_part_only", "<p>没有找到与“abc”匹配的结果</p>", "", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zv
