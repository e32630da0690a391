// The simulated web as the program meets it: a proxy on 127.0.0.1 reached
// through the program's own HTTP client, and its request log.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

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

// Sends raw bytes to 127.0.0.1:port and returns everything the server sends
// back until it closes; empty when the connection is refused.
std::string rawExchange(int port, const std::string& request)
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        ::send(sock, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(sock, buffer, sizeof buffer, 0)) > 0) {
            reply.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(sock);
    return reply;
}

class ProxyTest : public ProxiedWorld
{
protected:
    void SetUp() override
    {
        std::string error;
        auto basic = World::fromScenarioFile(ZV_SCENARIO_DIR "/basic.json", error);
        ASSERT_TRUE(basic) << error;
        serve(std::move(basic));
    }
};

TEST_F(ProxyTest, TheProgramsClientGetsThePagesThroughTheProxy)
{
    simweb::SimWeb web(*world);
    const std::string rank = rankAddress(gbk("网站优化"), 1);
    const ByteBlock page = httpRequest(rank, "", proxy);
    EXPECT_EQ(page, web.handle({"GET", rank, "", ""}).body);
    EXPECT_EQ(readRanks({page}, "www.shop-demo.cn"), "3. 17 ");

    const std::string form = "kw=" + urlEncode(gbk("网站优化"), true, true);
    const ByteBlock answer = httpRequest("http://index.zeravudez.com/baidu/words.aspx", "POST", proxy, "", form);
    const Text address = readIndexPictureAddress(answer, gbk("网站优化"), simweb::kIndexHost);
    ASSERT_FALSE(address.empty());
    const ByteBlock picture = httpRequest(address, "", proxy);
    EXPECT_EQ(picture.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(picture, web.handle({"GET", address, "", ""}).body);

    // One log line per request, in order, with absolute addresses and bodies.
    const auto lines = logLines(logPath);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["method"], "GET");
    EXPECT_EQ(lines[0]["url"], rank);
    EXPECT_EQ(lines[1]["method"], "POST");
    EXPECT_EQ(lines[1]["url"], "http://index.zeravudez.com/baidu/words.aspx");
    EXPECT_EQ(lines[1]["body"], form);
    EXPECT_EQ(lines[2]["url"], address);
    EXPECT_EQ(lines[2]["status"], 200);
    const auto headers = lines[0]["headers"].get<std::vector<std::string>>();
    EXPECT_NE(std::find(headers.begin(), headers.end(), "Referer: " + rank), headers.end());
}

TEST_F(ProxyTest, LogKeepsHeaderLinesInTheOrderReceived)
{
    const std::string body = "kw=abc";
    const std::string reply = rawExchange(port,
                                          "POST http://index.zeravudez.com/baidu/words.aspx HTTP/1.1\r\n"
                                          "Zeta: last-in-name\r\n"
                                          "Host: index.zeravudez.com\r\n"
                                          "Alpha: first-in-name\r\n"
                                          "Content-Length: 6\r\n"
                                          "\r\n"
                                              + body);
    EXPECT_TRUE(reply.starts_with("HTTP/1.1 200")) << reply.substr(0, 80);
    const std::string direct = rawExchange(port, "GET /s?wd=abc HTTP/1.1\r\nHost: www.baidu.com\r\n\r\n");
    EXPECT_TRUE(direct.starts_with("HTTP/1.1 200")) << direct.substr(0, 80);

    const auto lines = logLines(logPath);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["headers"].get<std::vector<std::string>>(),
              (std::vector<std::string> {"Zeta: last-in-name", "Host: index.zeravudez.com", "Alpha: first-in-name",
                                         "Content-Length: 6"}));
    EXPECT_EQ(lines[0]["body"], body);
    EXPECT_EQ(lines[1]["url"], "http://www.baidu.com/s?wd=abc");
    EXPECT_EQ(lines[1]["body"], "");
}

TEST_F(ProxyTest, StopsAndRefusesFurtherConnections)
{
    EXPECT_FALSE(rawExchange(port, "GET http://www.a.cn/ HTTP/1.1\r\nHost: www.a.cn\r\n\r\n").empty());
    server->stop();
    server->stop();
    EXPECT_EQ(rawExchange(port, "GET http://www.a.cn/ HTTP/1.1\r\nHost: www.a.cn\r\n\r\n"), "");
}

// Runs against the simweb the CTest fixture started; elsewhere it is skipped.
TEST(SimwebFixture, AnswersOnThePortItWroteDown)
{
    const char* portFile = std::getenv("ZV_SIMWEB_PORT_FILE");
    if (!portFile) {
        GTEST_SKIP() << "not started by the simweb fixture";
    }
    std::ifstream in(portFile);
    int port = 0;
    ASSERT_TRUE(in >> port) << portFile;
    const std::string proxy = "127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(readMetaKeywords(httpRequest("http://www.shop-demo.cn", "", proxy)),
              (std::vector<Text> {gbk("网站优化"), gbk("关键词排名"), gbk("seo工具")}));
    EXPECT_EQ(readIndexedCount(httpRequest(overviewAddress("site%3Awww.shop-demo.cn"), "", proxy)), "12,345");
}

} // namespace
} // namespace zv::test
