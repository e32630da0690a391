#include "web/event_hook.h"
#include "web/http_request.h"

#include "tests/support/loopback_server.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zv {
namespace {

using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;
using test::ScopedEnv;

constexpr const char* defaultAccept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
                                      "application/x-shockwave-flash, application/vnd.ms-excel, "
                                      "application/vnd.ms-powerpoint, application/msword, */*";

using Names = std::vector<std::string>;

// Every test runs with the environment's own proxy variables pointing at a
// port where nothing listens: a request that used them would fail.
class HttpRequestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string deadProxy = "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort());
        for (const char* name : {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"})
            env_.push_back(std::make_unique<ScopedEnv>(name, deadProxy.c_str()));
        env_.push_back(std::make_unique<ScopedEnv>("no_proxy", nullptr));
        env_.push_back(std::make_unique<ScopedEnv>("ZERAVUDEZ_PROXY", nullptr));
    }

    void TearDown() override
    {
        setHttpTimeout(std::chrono::milliseconds(0));
        setProcessEventsHook(nullptr);
        setAbortHook(nullptr);
    }

    LoopbackServer server;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

TEST_F(HttpRequestTest, GetSendsTheFixedHeadersInOrderAndNoBody)
{
    server.enqueue(Reply::ok("hello"));
    const std::string url = server.url("/a/B?c=d&e=%E4");

    EXPECT_EQ(httpRequest(url), "hello");

    ASSERT_EQ(server.requestCount(), 1u);
    const RecordedRequest r = server.requests()[0];
    EXPECT_EQ(r.requestLine(), "GET /a/B?c=d&e=%E4 HTTP/1.1");
    EXPECT_EQ(r.headerNames(), (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language"}));
    EXPECT_EQ(r.header("Host"), server.authority());
    EXPECT_EQ(r.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(r.header("Accept"), defaultAccept);
    EXPECT_EQ(r.header("Referer"), url);
    EXPECT_EQ(r.header("Accept-Language"), "zh-cn");
    EXPECT_TRUE(r.body.empty());
}

TEST_F(HttpRequestTest, RefererRepeatsTheAddressAsPassed)
{
    server.enqueue(Reply::ok("x"));
    const std::string url = "HTTP://127.0.0.1:" + std::to_string(server.port()) + "/Path?q=1";

    EXPECT_EQ(httpRequest(url), "x");

    const RecordedRequest r = server.requests().at(0);
    EXPECT_EQ(r.requestLine(), "GET /Path?q=1 HTTP/1.1");
    EXPECT_EQ(r.header("Referer"), url);
}

TEST_F(HttpRequestTest, PostAddsFormTypeAndLengthAfterTheDefaults)
{
    server.enqueue(Reply::ok("answer"));
    const std::string form = "kw=%E4%B8%AD%E6%96%87";

    EXPECT_EQ(httpRequest(server.url("/baidu/words.aspx"), "POST", {}, {}, form), "answer");

    const RecordedRequest r = server.requests().at(0);
    EXPECT_EQ(r.requestLine(), "POST /baidu/words.aspx HTTP/1.1");
    EXPECT_EQ(r.headerNames(),
              (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language", "Content-Type", "Content-Length"}));
    EXPECT_EQ(r.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.header("Content-Length"), std::to_string(form.size()));
    EXPECT_EQ(r.body, form);
}

TEST_F(HttpRequestTest, MethodRule)
{
    // A POST in small letters goes out spelled as passed.
    server.enqueue(Reply::ok("1"));
    httpRequest(server.url("/p"), "post", {}, {}, "a=1");
    // Anything else is a GET without body or content headers.
    server.enqueue(Reply::ok("2"));
    httpRequest(server.url("/q"), "PUT", {}, {}, "a=1");
    server.enqueue(Reply::ok("3"));
    EXPECT_EQ(httpRequest(server.url("/r"), "HEAD"), "3");
    // An empty post body: no content headers and no body.
    server.enqueue(Reply::ok("4"));
    httpRequest(server.url("/s"), "POST", {}, {}, {});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].requestLine(), "post /p HTTP/1.1");
    EXPECT_EQ(requests[0].body, "a=1");
    EXPECT_EQ(requests[0].header("Content-Length"), "3");

    EXPECT_EQ(requests[1].requestLine(), "GET /q HTTP/1.1");
    EXPECT_FALSE(requests[1].hasHeader("Content-Type"));
    EXPECT_FALSE(requests[1].hasHeader("Content-Length"));
    EXPECT_TRUE(requests[1].body.empty());

    EXPECT_EQ(requests[2].requestLine(), "GET /r HTTP/1.1");

    EXPECT_EQ(requests[3].requestLine(), "POST /s HTTP/1.1");
    EXPECT_EQ(requests[3].headerNames(), (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language"}));
    EXPECT_TRUE(requests[3].body.empty());
}

TEST_F(HttpRequestTest, CallerHeadersGoFirstAndSuppressMatchingDefaults)
{
    server.enqueue(Reply::ok("a"));
    httpRequest(server.url("/"), {}, {}, "X-One: 1\r\naccept-LANGUAGE: en\r\n");
    server.enqueue(Reply::ok("b"));
    httpRequest(server.url("/"), {}, {}, "Accept: text/html\r\nReferer: http://elsewhere/\r\n");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].headerNames(),
              (Names {"Host", "User-Agent", "X-One", "accept-LANGUAGE", "Accept", "Referer"}));
    EXPECT_EQ(requests[0].header("Accept-Language"), "en");
    EXPECT_EQ(requests[1].headerNames(), (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language"}));
    EXPECT_EQ(requests[1].header("Accept"), "text/html");
    EXPECT_EQ(requests[1].header("Referer"), "http://elsewhere/");
}

TEST_F(HttpRequestTest, BodiesComeBackByteForByte)
{
    const std::string withNuls("a\0b\0\0c", 6);
    server.enqueue(Reply::ok(withNuls));
    EXPECT_EQ(httpRequest(server.url("/nul")), withNuls);

    server.enqueue(Reply::chunked({"abc", std::string("\0\0x", 3), std::string(700, 'z')}));
    EXPECT_EQ(httpRequest(server.url("/chunked")), "abc" + std::string("\0\0x", 3) + std::string(700, 'z'));

    // Bodies ending exactly on a 512-byte boundary, with and without a
    // length, and an empty one.
    for (std::size_t size : {512u, 1024u, 4096u}) {
        std::string body(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            body[i] = static_cast<char>(i * 7);
        server.enqueue(Reply::ok(body));
        EXPECT_EQ(httpRequest(server.url("/len")), body) << size;
        server.enqueue(Reply::untilClose(body));
        EXPECT_EQ(httpRequest(server.url("/close")), body) << size;
    }
    server.enqueue(Reply::ok(""));
    EXPECT_EQ(httpRequest(server.url("/empty")), "");
}

TEST_F(HttpRequestTest, ErrorStatusGivesNoBodyButKeepsTheHeaders)
{
    server.enqueue(Reply::status(500, "Internal Server Error", "<p>broken</p>", "X-Why: overloaded\r\n"));
    Text headers;
    EXPECT_EQ(httpRequest(server.url("/"), {}, {}, {}, {}, &headers), "");
    EXPECT_EQ(headers.rfind("HTTP/1.1 500 Internal Server Error\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("X-Why: overloaded\r\n"), std::string::npos);
}

struct StatusCase
{
    const char* name;
    std::vector<Reply> replies;
    HttpFailure failure;
    int status;
    const char* body;
    const char* finalPath;
};

// Only a final answer with a 2xx status is a page; every other status fails
// the fetch, whatever its body says.
TEST_F(HttpRequestTest, FinalStatusDecidesWhetherTheFetchSucceeded)
{
    const std::vector<StatusCase> cases = {
        {"ok", {Reply::ok("page")}, HttpFailure::None, 200, "page", "/start"},
        {"no content", {Reply::status(204, "No Content", "")}, HttpFailure::None, 204, "", "/start"},
        {"moved then ok",
         {Reply::redirect(301, "/moved"), Reply::ok("moved page")},
         HttpFailure::None,
         200,
         "moved page",
         "/moved"},
        {"not found", {Reply::status(404, "Not Found", "no such page")}, HttpFailure::Status, 404, "", "/start"},
        {"server error", {Reply::status(500, "Internal Server Error", "oops")}, HttpFailure::Status, 500, "", "/start"},
        {"unavailable", {Reply::status(503, "Service Unavailable", "busy")}, HttpFailure::Status, 503, "", "/start"},
        {"redirect to an error",
         {Reply::redirect(302, "/gone"), Reply::status(410, "Gone", "gone")},
         HttpFailure::Status,
         410,
         "",
         "/gone"},
        {"redirect nowhere", {Reply::status(302, "Found", "no location")}, HttpFailure::Status, 302, "", "/start"},
        {"redirect outside the web",
         {Reply::redirect(301, "ftp://files.example/x")},
         HttpFailure::Status,
         301,
         "",
         "/start"},
    };
    for (const StatusCase& c : cases) {
        for (const Reply& reply : c.replies)
            server.enqueue(reply);
        const HttpResult result = httpExchange(server.url("/start"));
        EXPECT_EQ(result.failure, c.failure) << c.name;
        EXPECT_EQ(result.ok(), c.failure == HttpFailure::None) << c.name;
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.body, c.body) << c.name;
        EXPECT_EQ(result.finalUrl, server.url(c.finalPath)) << c.name;
        EXPECT_EQ(result.requestedHost, "127.0.0.1") << c.name;
        EXPECT_FALSE(result.changedHost()) << c.name;
        EXPECT_EQ(result.headers.rfind("HTTP/1.1 " + std::to_string(c.status), 0), 0u) << c.name;

        // The plain routine gives the same body.
        for (const Reply& reply : c.replies)
            server.enqueue(reply);
        EXPECT_EQ(httpRequest(server.url("/start")), c.body) << c.name;
    }
}

TEST_F(HttpRequestTest, FailuresWithoutAPageSayWhatWentWrong)
{
    setHttpTimeout(std::chrono::milliseconds(300));

    const HttpResult refused = httpExchange("http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/");
    EXPECT_EQ(refused.failure, HttpFailure::Unreachable);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.headers, "");

    const HttpResult unusable = httpExchange("http://bad host/");
    EXPECT_EQ(unusable.failure, HttpFailure::BadAddress);
    EXPECT_EQ(unusable.finalUrl, "");
    EXPECT_FALSE(unusable.changedHost());

    server.enqueue(Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345").hang());
    const HttpResult stalled = httpExchange(server.url("/slow"));
    EXPECT_EQ(stalled.failure, HttpFailure::TimedOut);
    EXPECT_EQ(stalled.status, 200);
    EXPECT_EQ(stalled.body, "12345");

    server.enqueue(Reply().hang());
    const HttpResult silent = httpExchange(server.url("/silent"));
    EXPECT_EQ(silent.failure, HttpFailure::TimedOut);
    EXPECT_EQ(silent.status, 0);

    server.enqueue(Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"));
    const HttpResult cut = httpExchange(server.url("/cut"));
    EXPECT_EQ(cut.failure, HttpFailure::Incomplete);
    EXPECT_EQ(cut.body, "partial");

    // An error status outweighs a body that broke off.
    server.enqueue(Reply().send("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 100\r\n\r\nhalf"));
    const HttpResult broken = httpExchange(server.url("/bad"));
    EXPECT_EQ(broken.failure, HttpFailure::Status);
    EXPECT_EQ(broken.status, 502);
    EXPECT_EQ(broken.body, "");

    bool abandon = true;
    setAbortHook([&] { return abandon; });
    const HttpResult aborted = httpExchange(server.url("/never"));
    EXPECT_EQ(aborted.failure, HttpFailure::Aborted);
    EXPECT_EQ(aborted.body, "");
    EXPECT_EQ(aborted.headers, "");
}

// How the search engine sends its security check: a redirection to a host of
// its own. Through the proxy every host is reachable.
TEST_F(HttpRequestTest, RedirectionToAnotherHostIsReported)
{
    LoopbackServer proxy;
    proxy.enqueue(Reply::redirect(302, "http://wappass.baidu.com/static/captcha/tuxing.html?ak=1&backurl=x"));
    proxy.enqueue(Reply::ok("<title>check</title>"));

    const HttpResult check = httpExchange("http://www.baidu.com/s?wd=abc&pn=0&rn=100&ie=utf-8", {}, proxy.authority());
    EXPECT_TRUE(check.ok());
    EXPECT_EQ(check.body, "<title>check</title>");
    EXPECT_TRUE(check.changedHost());
    EXPECT_EQ(check.requestedHost, "www.baidu.com");
    EXPECT_EQ(check.finalHost, "wappass.baidu.com");
    EXPECT_EQ(check.finalUrl, "http://wappass.baidu.com/static/captcha/tuxing.html?ak=1&backurl=x");
    ASSERT_EQ(proxy.requestCount(), 2u);
    EXPECT_EQ(proxy.requests()[1].requestLine(),
              "GET http://wappass.baidu.com/static/captcha/tuxing.html?ak=1&backurl=x HTTP/1.1");

    // The same host in other letters, on another port or under https is no
    // other host.
    proxy.enqueue(Reply::redirect(301, "http://WWW.Baidu.com:8080/s?wd=abc"));
    proxy.enqueue(Reply::ok("same"));
    const HttpResult same = httpExchange("http://www.baidu.com/s?wd=abc", {}, proxy.authority());
    EXPECT_TRUE(same.ok());
    EXPECT_FALSE(same.changedHost());
    EXPECT_EQ(same.finalHost, "www.baidu.com");

    // A redirection elsewhere that then fails is still reported as one.
    proxy.enqueue(Reply::redirect(302, "http://wappass.baidu.com/"));
    proxy.enqueue(Reply::status(503, "Service Unavailable", ""));
    const HttpResult failed = httpExchange("http://www.baidu.com/s?wd=abc", {}, proxy.authority());
    EXPECT_EQ(failed.failure, HttpFailure::Status);
    EXPECT_TRUE(failed.changedHost());

    // Without a redirection the final host is the one asked for.
    server.enqueue(Reply::ok("direct"));
    const HttpResult direct = httpExchange(server.url("/"));
    EXPECT_EQ(direct.finalHost, "127.0.0.1");
    EXPECT_FALSE(direct.changedHost());
}

TEST_F(HttpRequestTest, FollowsRedirectsAndReturnsTheFinalBody)
{
    LoopbackServer other;
    other.enqueue(Reply::ok("final page", "X-Final: yes\r\n"));
    server.enqueue(Reply::redirect(301, "/second"));
    server.enqueue(Reply::redirect(302, other.url("/third")));

    Text headers;
    EXPECT_EQ(httpRequest(server.url("/first"), {}, {}, {}, {}, &headers), "final page");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].requestLine(), "GET /second HTTP/1.1");
    ASSERT_EQ(other.requestCount(), 1u);
    EXPECT_EQ(other.requests()[0].requestLine(), "GET /third HTTP/1.1");
    // The response headers are those of the final answer alone.
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("X-Final: yes\r\n"), std::string::npos);
    EXPECT_EQ(headers.find("Location"), std::string::npos);
    EXPECT_EQ(headers.substr(headers.size() - 2), "\r\n");
}

TEST_F(HttpRequestTest, PostRedirectsLikeABrowser)
{
    // 302 and 303 continue as a GET without the form.
    server.enqueue(Reply::redirect(302, "/after"));
    server.enqueue(Reply::ok("got"));
    EXPECT_EQ(httpRequest(server.url("/form"), "POST", {}, {}, "kw=1"), "got");
    // 307 repeats the POST with its body.
    server.enqueue(Reply::redirect(307, "/again"));
    server.enqueue(Reply::ok("posted"));
    EXPECT_EQ(httpRequest(server.url("/form"), "POST", {}, {}, "kw=2"), "posted");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].requestLine(), "GET /after HTTP/1.1");
    EXPECT_FALSE(requests[1].hasHeader("Content-Type"));
    EXPECT_FALSE(requests[1].hasHeader("Content-Length"));
    EXPECT_TRUE(requests[1].body.empty());
    EXPECT_EQ(requests[3].requestLine(), "POST /again HTTP/1.1");
    EXPECT_EQ(requests[3].header("Content-Length"), "4");
    EXPECT_EQ(requests[3].body, "kw=2");
}

TEST_F(HttpRequestTest, EndlessRedirectionStops)
{
    server.setHandler([](const RecordedRequest&) { return Reply::redirect(302, "/loop"); });
    // The last answer is still a redirection: no page.
    EXPECT_EQ(httpRequest(server.url("/loop")), "");
    EXPECT_EQ(server.requestCount(), 21u);
}

TEST_F(HttpRequestTest, CookiesAreKeptAcrossCalls)
{
    // Cookies belong to the host whatever the port, and the store lives for
    // the whole run, so this test uses names of its own.
    server.enqueue(Reply::ok("set", "Set-Cookie: visit=abc123; Path=/\r\n"));
    server.enqueue(Reply::redirect(302, "/landing", "Set-Cookie: hop=r1; Path=/\r\n"));
    server.enqueue(Reply::ok("landed"));
    server.enqueue(Reply::ok("again"));

    httpRequest(server.url("/login"));
    EXPECT_EQ(httpRequest(server.url("/jump")), "landed");
    EXPECT_EQ(httpRequest(server.url("/later")), "again");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_NE(requests[1].header("Cookie").find("visit=abc123"), std::string::npos);
    EXPECT_NE(requests[2].header("Cookie").find("hop=r1"), std::string::npos);
    EXPECT_NE(requests[3].header("Cookie").find("visit=abc123"), std::string::npos);
    EXPECT_NE(requests[3].header("Cookie").find("hop=r1"), std::string::npos);
}

TEST_F(HttpRequestTest, EveryCallOpensItsOwnConnection)
{
    server.enqueue(Reply::ok("one").keepAlive());
    server.enqueue(Reply::ok("two").keepAlive());
    EXPECT_EQ(httpRequest(server.url("/1")), "one");
    EXPECT_EQ(httpRequest(server.url("/2")), "two");
    EXPECT_EQ(server.connectionCount(), 2u);
}

// A thread's handles are kept from request to request: nothing of one request
// (its proxy, verb, caller headers, body) goes out with the next.
TEST_F(HttpRequestTest, NothingOfARequestCarriesOverToTheNext)
{
    LoopbackServer proxy;
    proxy.enqueue(Reply::ok("proxied"));
    server.enqueue(Reply::ok("direct"));

    EXPECT_EQ(
        httpRequest("http://far.example/one", "post", proxy.authority(), "X-One: 1\r\nAccept: text/plain\r\n", "a=1"),
        "proxied");
    EXPECT_EQ(httpRequest(server.url("/two")), "direct");

    ASSERT_EQ(proxy.requestCount(), 1u);
    const RecordedRequest first = proxy.requests()[0];
    EXPECT_EQ(first.requestLine(), "post http://far.example/one HTTP/1.1");
    EXPECT_EQ(first.header("X-One"), "1");
    EXPECT_EQ(first.body, "a=1");

    ASSERT_EQ(server.requestCount(), 1u);
    const RecordedRequest second = server.requests()[0];
    EXPECT_EQ(second.requestLine(), "GET /two HTTP/1.1");
    // The run's one cookie store may hold cookies of earlier tests for this host.
    Names names = second.headerNames();
    std::erase(names, "Cookie");
    EXPECT_EQ(names, (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language"}));
    EXPECT_EQ(second.header("Accept"), defaultAccept);
    EXPECT_TRUE(second.body.empty());
}

// Each thread keeps handles of its own: requests from several threads at once
// each get their own answer, each on a connection of its own.
TEST_F(HttpRequestTest, RequestsFromSeveralThreadsAtOnce)
{
    server.setHandler([](const RecordedRequest& request) { return Reply::ok(request.requestLine()); });
    constexpr int kThreads = 4;
    constexpr int kEach = 8;
    std::vector<std::vector<ByteBlock>> answers(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                answers[t].push_back(httpRequest(server.url("/" + std::to_string(t) + "/" + std::to_string(i))));
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(answers[t].size(), static_cast<std::size_t>(kEach));
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(answers[t][i], "GET /" + std::to_string(t) + "/" + std::to_string(i) + " HTTP/1.1");
    }
    EXPECT_EQ(server.connectionCount(), static_cast<std::size_t>(kThreads * kEach));
}

TEST_F(HttpRequestTest, UnreachableOrUnusableAddressesGiveAnEmptyBlock)
{
    Text headers = "stale";
    const std::string refused = "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/";
    EXPECT_EQ(httpRequest(refused, {}, {}, {}, {}, &headers), "");
    EXPECT_EQ(headers, "");
    // Hosts that no resolver could find and ports beyond 16 bits fail
    // before anything is sent.
    EXPECT_EQ(httpRequest("http://bad host/"), "");
    EXPECT_EQ(httpRequest("http://alpha?x=1"), "");
    EXPECT_EQ(httpRequest(""), "");
    EXPECT_EQ(httpRequest("http://127.0.0.1:" + std::to_string(server.port() + 65536) + "/"), "");
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(HttpRequestTest, StalledServerTimesOutWithWhatArrived)
{
    setHttpTimeout(std::chrono::milliseconds(300));
    server.enqueue(Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345").hang());
    EXPECT_EQ(httpRequest(server.url("/slow")), "12345");

    server.enqueue(Reply().hang());
    EXPECT_EQ(httpRequest(server.url("/silent")), "");

    // A pause shorter than the time-out is waited out.
    server.enqueue(Reply()
                       .send("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nabc")
                       .pause(std::chrono::milliseconds(100))
                       .send("def"));
    EXPECT_EQ(httpRequest(server.url("/paused")), "abcdef");
}

TEST_F(HttpRequestTest, ConnectionClosedMidBodyKeepsThePartReceived)
{
    server.enqueue(Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"));
    EXPECT_EQ(httpRequest(server.url("/")), "partial");
}

TEST_F(HttpRequestTest, PendingEventsAreProcessedWhileWaiting)
{
    int calls = 0;
    setProcessEventsHook([&calls] { ++calls; });
    server.enqueue(
        Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n").pause(std::chrono::milliseconds(200)).send("ok"));
    EXPECT_EQ(httpRequest(server.url("/")), "ok");
    // At least one turn per 50 ms of waiting.
    EXPECT_GE(calls, 3);
}

// An event handler that runs while a request waits may make a request of its
// own; each has its own transfer and connection, and the waiting one goes on.
TEST_F(HttpRequestTest, RequestFromAnEventHandlerWhileAnotherWaits)
{
    server.enqueue(Reply()
                       .send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nou")
                       .pause(std::chrono::milliseconds(150))
                       .send("ter"));
    server.enqueue(Reply::ok("inner"));
    ByteBlock inner;
    bool nested = false;
    setProcessEventsHook([&] {
        if (nested || server.requestCount() != 1)
            return;
        nested = true;
        inner = httpRequest(server.url("/inner"));
    });
    EXPECT_EQ(httpRequest(server.url("/outer")), "outer");
    EXPECT_EQ(inner, "inner");
    EXPECT_EQ(server.connectionCount(), 2u);

    // Later requests still work and keep the cookie store.
    setProcessEventsHook(nullptr);
    server.enqueue(Reply::ok("after", "Set-Cookie: k=v\r\n"));
    server.enqueue(Reply::ok("again"));
    EXPECT_EQ(httpRequest(server.url("/after"), "POST", {}, {}, "a=1"), "after");
    EXPECT_EQ(httpRequest(server.url("/again")), "again");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[3].requestLine(), "GET /again HTTP/1.1");
    EXPECT_FALSE(requests[3].hasHeader("Content-Length"));
    // The run's one cookie store may hold cookies of earlier tests as well.
    EXPECT_NE(requests[3].header("Cookie").find("k=v"), std::string::npos);
    EXPECT_EQ(server.connectionCount(), 4u);
}

TEST_F(HttpRequestTest, AbortHookAbandonsAStalledRequestAtOnce)
{
    // The server holds its answer back until released, for at most 10 s, far
    // less than the time-out: a request that was not abandoned would get the
    // whole page once the stall ends.
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    bool stallEnded = false;
    server.setHandler([&](const RecordedRequest&) {
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
        stallEnded = true;
        return Reply::ok("the whole page");
    });
    setHttpTimeout(std::chrono::seconds(60));

    bool abandon = false;
    setAbortHook([&] { return abandon; });
    // The request has reached the server when an event handler gives up.
    setProcessEventsHook([&] { abandon = abandon || server.requestCount() == 1; });
    Text headers = "stale";
    EXPECT_EQ(httpRequest(server.url("/stalled"), {}, {}, {}, {}, &headers), "");
    EXPECT_EQ(headers, "");
    EXPECT_EQ(downloadPicture(server.url("/picture")), "");
    {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(stallEnded) << "the request waited for the server";
        release = true;
    }
    released.notify_all();
    // Once abandoning, nothing new goes out.
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.connectionCount(), 1u);

    setAbortHook(nullptr);
    EXPECT_EQ(httpRequest(server.url("/again")), "the whole page");
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(HttpRequestTest, BodyIsCutAtTheLimit)
{
    std::string huge(httpBodyLimit + 1024 * 1024, 'q');
    huge[0] = 'A';
    huge[httpBodyLimit - 1] = 'Z';
    server.enqueue(Reply::ok(huge));
    const ByteBlock body = httpRequest(server.url("/huge"));
    ASSERT_EQ(body.size(), httpBodyLimit);
    EXPECT_EQ(body.front(), 'A');
    EXPECT_EQ(body.back(), 'Z');

    server.enqueue(Reply::ok(huge));
    const HttpResult result = httpExchange(server.url("/huge"));
    EXPECT_EQ(result.failure, HttpFailure::TooLarge);
    EXPECT_EQ(result.body.size(), httpBodyLimit);
}

TEST_F(HttpRequestTest, ProxyFromTheEnvironment)
{
    LoopbackServer proxy;
    proxy.enqueue(Reply::ok("via proxy"));
    ScopedEnv setting("ZERAVUDEZ_PROXY", proxy.authority().c_str());
    ScopedEnv bypass("no_proxy", "*");

    EXPECT_EQ(httpRequest("http://www.example.com:8080/s?wd=a%20b"), "via proxy");

    ASSERT_EQ(proxy.requestCount(), 1u);
    const RecordedRequest r = proxy.requests()[0];
    EXPECT_EQ(r.requestLine(), "GET http://www.example.com:8080/s?wd=a%20b HTTP/1.1");
    EXPECT_EQ(r.headerNames(), (Names {"Host", "User-Agent", "Accept", "Referer", "Accept-Language"}));
    EXPECT_EQ(r.header("Host"), "www.example.com:8080");
}

TEST_F(HttpRequestTest, ProxyArgumentWinsOverTheEnvironment)
{
    LoopbackServer proxy;
    proxy.enqueue(Reply::ok("argument proxy"));
    const std::string dead = "127.0.0.1:" + std::to_string(test::unusedLoopbackPort());
    ScopedEnv setting("ZERAVUDEZ_PROXY", dead.c_str());

    EXPECT_EQ(httpRequest("http://index.example.org/baidu/words.aspx", "POST", proxy.authority(), {}, "kw=x"),
              "argument proxy");

    const RecordedRequest r = proxy.requests().at(0);
    EXPECT_EQ(r.requestLine(), "POST http://index.example.org/baidu/words.aspx HTTP/1.1");
    EXPECT_EQ(r.body, "kw=x");
}

TEST_F(HttpRequestTest, PictureDownload)
{
    const std::string picture("BM\0\0\x36\x00", 6);
    server.enqueue(Reply::redirect(302, "/real.bmp"));
    server.enqueue(Reply::ok(picture));
    EXPECT_EQ(downloadPicture(server.url("/pic.bmp")), picture);
    EXPECT_EQ(server.requests().at(1).requestLine(), "GET /real.bmp HTTP/1.1");

    // Failures give nothing: an error status, a cut connection, a refusal.
    server.enqueue(Reply::status(404, "Not Found", "no such picture"));
    EXPECT_EQ(downloadPicture(server.url("/missing.bmp")), "");
    server.enqueue(Reply().send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nBM"));
    EXPECT_EQ(downloadPicture(server.url("/cut.bmp")), "");
    EXPECT_EQ(downloadPicture("http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/x.bmp"), "");
}

TEST_F(HttpRequestTest, PictureDownloadGoesThroughTheProxy)
{
    LoopbackServer proxy;
    proxy.enqueue(Reply::ok("GIF89a"));
    ScopedEnv setting("ZERAVUDEZ_PROXY", proxy.authority().c_str());

    EXPECT_EQ(downloadPicture("http://index.example.org/images/1.gif"), "GIF89a");
    EXPECT_EQ(proxy.requests().at(0).requestLine(), "GET http://index.example.org/images/1.gif HTTP/1.1");
}

// Internationalised names go out in their ASCII form, in the request line
// and the Host header; the Referer repeats the address as passed.
TEST_F(HttpRequestTest, InternationalHostsGoOutInTheirAsciiForm)
{
    LoopbackServer proxy;
    ScopedEnv setting("ZERAVUDEZ_PROXY", proxy.authority().c_str());
    const Text chinese = utf8ToGbkString("http://中文.cn/");
    proxy.enqueue(Reply::ok("home"));
    const HttpResult home = httpExchange(chinese);
    EXPECT_TRUE(home.ok());
    EXPECT_EQ(home.body, "home");
    EXPECT_EQ(home.requestedHost, "xn--fiq228c.cn");
    EXPECT_FALSE(home.changedHost());

    proxy.enqueue(Reply::ok("deep"));
    EXPECT_EQ(httpRequest(utf8ToGbkString("http://例子.中国:8080/a?b=1")), "deep");
    proxy.enqueue(Reply::ok("GIF89a"));
    EXPECT_EQ(downloadPicture(utf8ToGbkString("http://图片.中国/1.gif")), "GIF89a");

    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].requestLine(), "GET http://xn--fiq228c.cn/ HTTP/1.1");
    EXPECT_EQ(requests[0].header("Host"), "xn--fiq228c.cn");
    EXPECT_EQ(requests[0].header("Referer"), chinese);
    EXPECT_EQ(requests[1].requestLine(), "GET http://xn--fsqu00a.xn--fiqs8s:8080/a?b=1 HTTP/1.1");
    EXPECT_EQ(requests[1].header("Host"), "xn--fsqu00a.xn--fiqs8s:8080");
    EXPECT_EQ(requests[2].requestLine(), "GET http://xn--wcsw84d.xn--fiqs8s/1.gif HTTP/1.1");

    // A name without a valid ASCII form is a failed fetch; nothing goes out.
    for (const char* invalid : {"http://中文..cn/", "http://xn--中文.cn/", "http://-中文.cn/"}) {
        const HttpResult refused = httpExchange(utf8ToGbkString(invalid));
        EXPECT_EQ(refused.failure, HttpFailure::BadAddress) << invalid;
        EXPECT_EQ(refused.body, "") << invalid;
        EXPECT_EQ(downloadPicture(utf8ToGbkString(invalid)), "") << invalid;
    }
    EXPECT_EQ(httpRequest("http://\xD6\xD0\x81.cn/"), "");
    EXPECT_EQ(proxy.requestCount(), 3u);
}

// Names under "localhost" reach the loopback address without a resolver, so
// the direct form can be seen on the wire too.
TEST_F(HttpRequestTest, InternationalHostGoesDirectInItsAsciiForm)
{
    server.enqueue(Reply::ok("direct"));
    const std::string url = "http://" + utf8ToGbkString("中文") + ".localhost:" + std::to_string(server.port()) + "/p";
    const HttpResult result = httpExchange(url);
    EXPECT_TRUE(result.ok()) << static_cast<int>(result.failure);
    EXPECT_EQ(result.body, "direct");

    ASSERT_EQ(server.requestCount(), 1u);
    const RecordedRequest r = server.requests()[0];
    EXPECT_EQ(r.requestLine(), "GET /p HTTP/1.1");
    EXPECT_EQ(r.header("Host"), "xn--fiq228c.localhost:" + std::to_string(server.port()));
}

} // namespace
} // namespace zv
