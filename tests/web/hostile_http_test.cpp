// Servers that do not play fair: bodies without end, a drip of bytes that
// keeps resetting the receive time-out, redirections in a circle, broken
// chunked coding, and pages built to make the result patterns work hard.
#include "tests/support/loopback_server.h"
#include "text/text.h"
#include "web/codepage.h"
#include "web/event_hook.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace zv {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::Reply;

// Answers every connection with head and then body bytes, 64 KiB at a time,
// until limit bytes are sent or the client hangs up; counts what it sent.
class StreamingServer
{
public:
    StreamingServer(std::string head, long long limit)
        : head_(std::move(head))
        , limit_(limit)
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listenFd_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~StreamingServer()
    {
        ::shutdown(listenFd_, SHUT_RDWR);
        ::close(listenFd_);
        thread_.join();
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    long long bodyBytesSent() const { return sent_; }

private:
    void serve()
    {
        for (;;) {
            const int fd = ::accept(listenFd_, nullptr, nullptr);
            if (fd < 0)
                return;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            ::send(fd, head_.data(), head_.size(), MSG_NOSIGNAL);
            const std::string block(64 * 1024, 'x');
            while (sent_ < limit_) {
                const ssize_t n = ::send(fd, block.data(), block.size(), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent_ += n;
            }
            ::close(fd);
        }
    }

    std::string head_;
    long long limit_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<long long> sent_ {0};
    std::thread thread_;
};

class HostileHttpTest : public testing::Test
{
protected:
    void SetUp() override { setHttpTimeout(300ms); }
    void TearDown() override { setHttpTimeout(0ms); }
};

constexpr long long kGiB = 1024LL * 1024 * 1024;

TEST_F(HostileHttpTest, EndlessAndGiantBodiesStopAtTheCap)
{
    // These servers never pause: only the cap may end the transfers, not a
    // busy machine's slow turn at reading 32 MB.
    setHttpTimeout(5s);
    {
        StreamingServer endless("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", 4 * kGiB);
        const ByteBlock body = httpRequest(endless.url());
        EXPECT_EQ(body.size(), httpBodyLimit);
        EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
        EXPECT_LT(endless.bodyBytesSent(), 2LL * static_cast<long long>(httpBodyLimit));
        // A picture that does not fit is no picture at all.
        EXPECT_TRUE(downloadPicture(endless.url()).empty());
    }
    {
        StreamingServer giant("HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n", kGiB);
        const ByteBlock body = httpRequest(giant.url());
        EXPECT_EQ(body.size(), httpBodyLimit);
        EXPECT_LT(giant.bodyBytesSent(), 2LL * static_cast<long long>(httpBodyLimit));
    }
}

// One byte every 100 ms never lets the 300 ms receive time-out expire; the
// bound on the whole exchange (ten time-outs) ends it with what arrived.
TEST_F(HostileHttpTest, DripOfBytesIsCutOffWithWhatArrived)
{
    LoopbackServer server;
    std::string full;
    Reply drip;
    drip.send("HTTP/1.1 200 OK\r\nContent-Length: 300\r\n\r\n");
    for (int i = 0; i < 300; ++i) {
        const char byte = static_cast<char>('a' + i % 26);
        full += byte;
        drip.send(std::string(1, byte)).pause(100ms);
    }
    server.enqueue(drip);
    server.enqueue(drip);

    // The window keeps getting its turn while the bytes trickle in.
    int turns = 0;
    setProcessEventsHook([&] { ++turns; });
    const ByteBlock body = httpRequest(server.url("/drip"));
    setProcessEventsHook({});
    EXPECT_GT(turns, 20);
    EXPECT_FALSE(body.empty());
    EXPECT_LT(body.size(), full.size());
    EXPECT_TRUE(full.starts_with(body));
    EXPECT_TRUE(downloadPicture(server.url("/drip")).empty());
}

TEST_F(HostileHttpTest, RedirectionInACircleEnds)
{
    LoopbackServer server;
    server.setHandler([&](const test::RecordedRequest&) { return Reply::redirect(302, server.url("/again")); });

    const ByteBlock body = httpRequest(server.url("/again"));
    const std::size_t asked = server.requestCount();
    EXPECT_GT(asked, 1u);
    EXPECT_LE(asked, 50u);
    // A fetch that never settles on a page gives nothing, never the last
    // redirection's own body.
    EXPECT_EQ(body, "");
    // A picture address that never settles gives no picture.
    EXPECT_TRUE(downloadPicture(server.url("/again")).empty());
}

TEST_F(HostileHttpTest, BrokenChunkedCodingGivesOnlyTheBytesBeforeTheBreak)
{
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    struct Case
    {
        const char* name;
        Reply reply;
        std::string goodPart; // the body, as far as it was well formed
    };
    const Case cases[] = {
        {"size that is no number", Reply().send(head + "5\r\nhello\r\nzz\r\nworld\r\n0\r\n\r\n"), "hello"},
        {"size beyond any body", Reply().send(head + "FFFFFFFFFFFFFFFFFFFF\r\nabc\r\n0\r\n\r\n"), ""},
        {"negative size", Reply().send(head + "-5\r\nabcde\r\n0\r\n\r\n"), ""},
        {"chunk cut short", Reply().send(head + "64\r\n0123456789"), "0123456789"},
        {"chunk that stalls", Reply().send(head + "64\r\n0123456789").hang(), "0123456789"},
        {"no end of chunk", Reply().send(head + "3\r\nabcdef\r\n0\r\n\r\n"), "abc"},
    };
    for (const Case& c : cases) {
        LoopbackServer server;
        server.enqueue(c.reply);
        server.enqueue(c.reply);
        const ByteBlock body = httpRequest(server.url("/chunks"));
        EXPECT_TRUE(c.goodPart.starts_with(body)) << c.name << ": " << body;
        EXPECT_TRUE(downloadPicture(server.url("/chunks")).empty()) << c.name;
        server.stop();
    }
}

Text resultBlock(int position, const std::string& address)
{
    return "<table class=\"result\" id=\"" + std::to_string(position) + "\"><tr><td><span class=\"g\">" + address
        + " 3K</span></td></tr></table>\n";
}

// The rank search's reading of a page: every result block, and in it the
// first address line naming the site.
std::vector<Text> sitePositions(const Text& page, const Text& site)
{
    std::vector<Text> found;
    PatternMatcher table;
    PatternMatcher entry;
    table.execute("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", page);
    for (int n = 1; n <= table.matchCount(); ++n) {
        entry.execute("<span class=.g.>.*?</span>", table.matchText(n));
        for (int e = 1; e <= entry.matchCount(); ++e) {
            if (containsText(entry.matchText(e), site)) {
                found.push_back(table.subMatchText(n, 1));
                break;
            }
        }
    }
    return found;
}

TEST_F(HostileHttpTest, PageWithAHundredThousandResultBlocksIsReadWhole)
{
    std::string page = "<html><body>";
    for (int i = 1; i <= 100000; ++i)
        page += resultBlock(i, i % 25000 == 0 ? "www.site.com/ " : "www.other.com/x");
    page += "</body></html>";
    LoopbackServer server;
    server.enqueue(Reply::ok(page));
    const ByteBlock body = httpRequest(server.url("/s"));
    ASSERT_EQ(body.size(), page.size());

    const Text text = utf8ToGbk(body);
    PatternMatcher table;
    table.execute("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", text);
    EXPECT_EQ(table.matchCount(), 100000);
    EXPECT_EQ(table.subMatchText(100000, 1), "100000");
    EXPECT_EQ(sitePositions(text, "www.site.com"), (std::vector<Text> {"25000", "50000", "75000", "100000"}));
}

// Tags opened and never closed make a lazy pattern try every ending for every
// start; the work limit ends the search with no result rather than a frozen
// window, and a page that closes its blocks is read as usual.
TEST_F(HostileHttpTest, DeeplyNestedUnclosedTagsEndTheSearchWithoutResults)
{
    std::string unclosed;
    for (int i = 0; i < 100000; ++i)
        unclosed += "<table id=\"" + std::to_string(i) + "\"><tr><td><div><span class=\"g\">www.site.com/ ";
    PatternMatcher table;
    table.execute("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", unclosed);
    EXPECT_EQ(table.matchCount(), 0);
    EXPECT_TRUE(sitePositions(unclosed, "www.site.com").empty());

    std::string nested;
    for (int i = 0; i < 20000; ++i)
        nested += "<div>";
    nested += resultBlock(7, "www.site.com/ ");
    EXPECT_EQ(sitePositions(nested, "www.site.com"), std::vector<Text> {"7"});
}

} // namespace
} // namespace zv
