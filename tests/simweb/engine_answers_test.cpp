// The engine's answers other than result pages: error statuses, a stall, the
// "no results" notice, a page that lost its results, and the security check
// after a number of requests, as a scenario chooses them.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "readers/engine_page.h"
#include "tests/simweb/page_reading.h"
#include "tests/simweb/served_world.h"
#include "tests/support/temp_dir.h"
#include "tools/simweb/proxy_server.h"
#include "tools/simweb/sim_web.h"
#include "web/codepage.h"
#include "web/http_request.h"

namespace zv::test {
namespace {

using simweb::World;

bool verificationPage(const ByteBlock& body, const std::string& finalHost = simweb::kSearchHost)
{
    return isVerificationPage(utf8ToGbk(body), finalHost, simweb::kSearchHost);
}

class EngineAnswers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        world = World::fromScenarioFile(ZV_SCENARIO_DIR "/engine_answers.json", error);
        ASSERT_TRUE(world) << error;
        web = std::make_unique<simweb::SimWeb>(*world);
    }

    simweb::SimResponse rank(const char* keyword, int page) const
    {
        return web->handle({"GET", rankAddress(gbk(keyword), page), "", ""});
    }

    simweb::SimResponse overview(const std::string& term) const
    {
        return web->handle({"GET", overviewAddress(term), "", ""});
    }

    std::unique_ptr<World> world;
    std::unique_ptr<simweb::SimWeb> web;
};

TEST_F(EngineAnswers, ErrorStatusesForChosenKeywordsAndPages)
{
    // One failing page among good ones.
    const auto first = rank("外链建设", 1);
    EXPECT_EQ(first.status, 500);
    EXPECT_EQ(resultBlockCount(first.body), 0);
    EXPECT_NE(first.body.find("500 Internal Server Error"), std::string::npos);
    const auto second = rank("外链建设", 2);
    EXPECT_EQ(second.status, 200);
    EXPECT_EQ(readRanks({second.body}, "www.shop-demo.cn"), "120 ");

    // Every page of a keyword, and every page but an exempted one.
    for (int page = 1; page <= 3; ++page) {
        const auto answer = rank("网站建设", page);
        EXPECT_EQ(answer.status, 503) << page;
        EXPECT_NE(answer.body.find("503 Service Unavailable"), std::string::npos);
    }
    const auto exempt = rank("关键词排名", 1);
    EXPECT_EQ(exempt.status, 200);
    EXPECT_EQ(readRanks({exempt.body}, "www.shop-demo.cn"), "7 ");
    EXPECT_EQ(rank("关键词排名", 2).status, 503);

    // Keywords the scenario leaves alone answer as always.
    EXPECT_EQ(rank("seo工具", 1).status, 200);
    EXPECT_EQ(resultBlockCount(rank("seo工具", 1).body), 100);
}

TEST_F(EngineAnswers, NoResultsNoticeAndBrokenPage)
{
    const auto none = rank("没有结果的词", 1);
    EXPECT_EQ(none.status, 200);
    EXPECT_EQ(resultBlockCount(none.body), 0);
    const Text noneText = utf8ToGbk(none.body);
    EXPECT_TRUE(isNoResultsNotice(noneText));
    EXPECT_FALSE(verificationPage(none.body));
    EXPECT_TRUE(containsText(noneText, gbk("很抱歉，没有找到与")));
    EXPECT_TRUE(containsText(noneText, gbk("没有结果的词")));

    // Neither blocks nor the notice, nor the check.
    const auto broken = rank("坏页面", 1);
    EXPECT_EQ(broken.status, 200);
    EXPECT_FALSE(broken.body.empty());
    EXPECT_EQ(resultBlockCount(broken.body), 0);
    EXPECT_FALSE(isNoResultsNotice(utf8ToGbk(broken.body)));
    EXPECT_FALSE(verificationPage(broken.body));

    // An ordinary result page is neither.
    const auto normal = rank("网站优化", 1);
    EXPECT_FALSE(isNoResultsNotice(utf8ToGbk(normal.body)));
    EXPECT_FALSE(verificationPage(normal.body));
    // A page past the last result carries the notice in its short form.
    EXPECT_TRUE(isNoResultsNotice(utf8ToGbk(rank("网站优化", 9).body)));
}

TEST_F(EngineAnswers, OverviewFiguresFailForOneSiteOrForEverySite)
{
    EXPECT_EQ(overview("site%3Awww.shop-demo.cn&lm=1").status, 503);
    EXPECT_EQ(overview("domain%3Awww.shop-demo.cn").status, 500);
    EXPECT_EQ(overview("domain%3Awww.other-site.com").status, 500);
    // The other figures stay readable.
    const auto indexed = overview("site%3Awww.shop-demo.cn");
    EXPECT_EQ(indexed.status, 200);
    EXPECT_EQ(readIndexedCount(indexed.body), "12,345");
    EXPECT_EQ(readIndexedCount(overview("site%3Awww.shop-demo.cn&lm=7").body), "345");
    EXPECT_EQ(readSnapshot(overview("http://www.shop-demo.cn").body, "www.shop-demo.cn"), "2024-5-19");
    EXPECT_EQ(overview("site%3Awww.other-site.com&lm=1").status, 200);
}

TEST(EngineScenario, RejectsWhatItCannotMean)
{
    const char* const bad[] = {
        R"({"engine": {"captcha": {}}})",
        R"({"engine": {"verification": {"after": -1}}})",
        R"({"engine": {"verification": {"form": "popup"}}})",
        R"({"engine": {"keywords": {"a": {"status": 42}}}})",
        R"({"engine": {"keywords": {"a": {"status": 500, "stall": true}}}})",
        R"({"engine": {"keywords": {"a": {"results": "few"}}}})",
        R"({"engine": {"keywords": {"a": {"pages": {"0": {"status": 500}}}}}})",
        R"({"engine": {"keywords": {"a": {"pages": {"x": {"status": 500}}}}}})",
        R"({"engine": {"keywords": {"a": {"delay": 5}}}})",
        R"({"engine": {"overview": {"*": {"rank": {"status": 500}}}}})",
        R"({"engine": {"overview": {"*": {"today": {"results": "none"}}}}})",
    };
    for (const char* scenario : bad) {
        std::string error;
        EXPECT_FALSE(World::fromScenarioText(scenario, ".", error)) << scenario;
        EXPECT_FALSE(error.empty()) << scenario;
    }
    // A scenario without an engine part, and an empty one, mean the usual
    // engine.
    for (const char* scenario : {R"({})", R"({"engine": {}})"}) {
        auto world = worldFrom(scenario);
        ASSERT_TRUE(world);
        EXPECT_FALSE(world->verification());
        EXPECT_EQ(world->rankAnswer("a", 1).kind, simweb::EngineAnswer::Kind::Normal);
    }
}

TEST(EngineVerification, CheckPageOnTheEngineAfterNRequests)
{
    auto world = worldFrom(R"({"engine": {"verification": {"after": 2, "form": "page"}}})");
    ASSERT_TRUE(world);
    simweb::SimWeb web(*world);
    const std::string search = rankAddress(gbk("网站优化"), 1);
    EXPECT_FALSE(verificationPage(web.handle({"GET", search, "", ""}).body));
    // Other hosts do not count.
    EXPECT_EQ(web.handle({"GET", "http://www.a.cn/", "", ""}).status, 200);
    EXPECT_FALSE(verificationPage(web.handle({"GET", overviewAddress("site%3Awww.a.cn"), "", ""}).body));
    for (int i = 0; i < 3; ++i) {
        const auto check = web.handle({"GET", search, "", ""});
        EXPECT_EQ(check.status, 200);
        EXPECT_TRUE(verificationPage(check.body)) << i;
        const Text text = utf8ToGbk(check.body);
        EXPECT_TRUE(containsText(text, gbk("<title>百度安全验证</title>")));
        EXPECT_TRUE(containsText(text, gbk("验证码")));
        EXPECT_EQ(resultBlockCount(check.body), 0);
    }
}

class ProxiedEngine : public ProxiedWorld
{
protected:
    void TearDown() override { setHttpTimeout(std::chrono::milliseconds(0)); }
};

// The engine sends the client to its check host; the log shows every request,
// so a test can tell that nothing more went to the engine.
TEST_F(ProxiedEngine, RedirectionToTheCheckHostAfterNRequests)
{
    start(R"({"engine": {"verification": {"after": 1}}})");
    const std::string first = rankAddress(gbk("网站优化"), 1);
    const std::string second = rankAddress(gbk("网站优化"), 2);

    const HttpResult normal = httpExchange(first, {}, proxy);
    EXPECT_TRUE(normal.ok());
    EXPECT_FALSE(normal.changedHost());
    EXPECT_FALSE(isVerificationPage(utf8ToGbk(normal.body), normal.finalHost, simweb::kSearchHost));

    const HttpResult check = httpExchange(second, {}, proxy);
    EXPECT_TRUE(check.ok());
    EXPECT_TRUE(check.changedHost());
    EXPECT_EQ(check.finalHost, simweb::kVerifyHost);
    EXPECT_TRUE(isVerificationPage(utf8ToGbk(check.body), check.finalHost, simweb::kSearchHost));
    // The page itself says so too.
    EXPECT_TRUE(verificationPage(check.body));

    const auto lines = logLines(logPath);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["url"], first);
    EXPECT_EQ(lines[0]["status"], 200);
    EXPECT_EQ(lines[1]["url"], second);
    EXPECT_EQ(lines[1]["status"], 302);
    const std::string checkUrl = lines[2]["url"];
    EXPECT_TRUE(checkUrl.starts_with("http://wappass.baidu.com/static/captcha/")) << checkUrl;
    EXPECT_NE(checkUrl.find("backurl=http%3A%2F%2Fwww.baidu.com%2Fs%3Fwd%3D"), std::string::npos) << checkUrl;
    EXPECT_EQ(check.finalUrl, checkUrl);
    EXPECT_EQ(lines[2]["status"], 200);
}

TEST_F(ProxiedEngine, StalledPageTimesOutAndTheNextRequestIsServed)
{
    start(R"({"engine": {"keywords": {"网站优化": {"pages": {"2": {"stall": true}}}}}})");
    setHttpTimeout(std::chrono::milliseconds(300));
    const std::string stalled = rankAddress(gbk("网站优化"), 2);

    const HttpResult result = httpExchange(stalled, {}, proxy);
    EXPECT_EQ(result.failure, HttpFailure::TimedOut);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.body, "");

    const HttpResult next = httpExchange(rankAddress(gbk("网站优化"), 1), {}, proxy);
    EXPECT_TRUE(next.ok());
    EXPECT_EQ(resultBlockCount(next.body), 100);

    const auto lines = logLines(logPath);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["url"], stalled);
    EXPECT_EQ(lines[0]["status"], 0);
    EXPECT_EQ(lines[1]["status"], 200);
}

// A held connection does not keep the server from stopping.
TEST_F(ProxiedEngine, StopsWhileAConnectionIsHeld)
{
    start(R"({"engine": {"keywords": {"网站优化": {"stall": true}}}})");
    setHttpTimeout(std::chrono::seconds(60));
    HttpResult result;
    std::thread client([&] { result = httpExchange(rankAddress(gbk("网站优化"), 1), {}, proxy); });
    while (logLines(logPath).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server->stop();
    client.join();
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.body, "");
}

} // namespace
} // namespace zv::test
