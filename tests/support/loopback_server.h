#pragma once
// A loopback HTTP server for tests: it listens on 127.0.0.1 on a free port,
// records every request byte for byte and answers each one with a scripted
// raw reply (which may stall, send a chunked body, redirect, or close the
// connection early). It serves each connection on its own thread, so a
// stalled reply never holds up the next client.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zv::test {

// One request as it arrived: the head up to and including the empty line,
// then the body as announced by Content-Length.
struct RecordedRequest
{
    std::string head;
    std::string body;

    std::string raw() const { return head + body; }
    // "GET /path HTTP/1.1"
    std::string requestLine() const;
    // Header lines in order, without their CR LF.
    std::vector<std::string> headerLines() const;
    // Names of the header lines in order.
    std::vector<std::string> headerNames() const;
    // Value of the first header of that name (letter case ignored), without
    // surrounding blanks; "" when absent.
    std::string header(std::string_view name) const;
    bool hasHeader(std::string_view name) const;
};

// What the server does after it has read a request: a series of steps.
class Reply
{
public:
    // Writes the bytes as they are.
    Reply& send(std::string bytes);
    // Waits, cut short when the server stops or the client hangs up.
    Reply& pause(std::chrono::milliseconds duration);
    // Keeps the connection open without writing until the client hangs up or
    // the server stops.
    Reply& hang();
    // After the reply, reads another request on the same connection instead
    // of closing it.
    Reply& keepAlive();

    // A complete response with Content-Length; extraHeaders are whole lines
    // ending in CR LF.
    static Reply ok(std::string_view body, std::string_view extraHeaders = {});
    static Reply status(int code, std::string_view reason, std::string_view body, std::string_view extraHeaders = {});
    // A chunked response with one chunk per piece.
    static Reply chunked(const std::vector<std::string>& pieces, std::string_view extraHeaders = {});
    static Reply redirect(int code, std::string_view location, std::string_view extraHeaders = {});
    // A response without Content-Length whose body ends when the server
    // closes the connection.
    static Reply untilClose(std::string_view body);

    struct Step
    {
        enum class Kind { Send, Pause, Hang };
        Kind kind = Kind::Send;
        std::string bytes;
        std::chrono::milliseconds duration {0};
    };
    const std::vector<Step>& steps() const { return steps_; }
    bool keepsAlive() const { return keepAlive_; }

private:
    std::vector<Step> steps_;
    bool keepAlive_ = false;
};

class LoopbackServer
{
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:<port>", the form a proxy setting takes.
    std::string authority() const;
    // "http://127.0.0.1:<port>" followed by path.
    std::string url(std::string_view path = "/") const;

    // Replies are used in the order requests arrive. When none is queued the
    // handler answers, and without a handler a 404 with an empty body.
    void enqueue(Reply reply);
    void setHandler(std::function<Reply(const RecordedRequest&)> handler);

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;
    std::size_t connectionCount() const;

    // Stops accepting, cuts every pause and hang short and joins the threads.
    void stop();

private:
    void acceptLoop();
    void serve(int fd);
    Reply replyFor(const RecordedRequest& request);
    bool waitOrStop(std::chrono::milliseconds duration, int fd);

    int listenFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::deque<Reply> queue_;
    std::function<Reply(const RecordedRequest&)> handler_;
    std::vector<RecordedRequest> requests_;
    std::size_t connections_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> workers_;
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
int unusedLoopbackPort();

} // namespace zv::test
