#include "tools/simweb/proxy_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "tools/simweb/sim_web.h"

namespace zv::simweb {

namespace {

constexpr int kIoTimeoutMs = 10000;

// A socket stream that keeps every byte it hands to the parser, so that the
// log can show header lines in the order they arrived (the parsed request
// keeps them sorted by name).
class RecordingStream : public httplib::Stream
{
public:
    explicit RecordingStream(int sock)
        : sock_(sock)
    {
    }

    bool is_readable() const override { return wait(POLLIN); }
    bool is_writable() const override { return wait(POLLOUT); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (!wait(POLLIN)) {
            return -1;
        }
        const ssize_t n = ::recv(sock_, ptr, size, 0);
        if (n > 0) {
            received_.append(ptr, static_cast<std::size_t>(n));
        }
        return n;
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!wait(POLLOUT)) {
            return -1;
        }
        return ::send(sock_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(false, ip, port); }
    socket_t socket() const override { return sock_; }

    const std::string& received() const { return received_; }

private:
    bool wait(short events) const
    {
        pollfd p {sock_, events, 0};
        return ::poll(&p, 1, kIoTimeoutMs) > 0 && (p.revents & (events | POLLHUP)) != 0;
    }

    void address(bool remote, std::string& ip, int& port) const
    {
        sockaddr_in addr {};
        socklen_t len = sizeof addr;
        const int rc = remote ? ::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len)
                              : ::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len);
        if (rc != 0 || addr.sin_family != AF_INET) {
            ip.clear();
            port = -1;
            return;
        }
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
        ip = text;
        port = ntohs(addr.sin_port);
    }

    int sock_;
    std::string received_;
};

thread_local const RecordingStream* currentStream = nullptr;

// One request per connection: every request of the program opens its own.
class RecordingServer : public httplib::Server
{
private:
    bool process_and_close_socket(socket_t sock) override
    {
        RecordingStream stream(sock);
        currentStream = &stream;
        bool closed = false;
        const bool ok = process_request(stream, true, closed, nullptr);
        currentStream = nullptr;
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }
};

std::vector<std::string> headerLines(const std::string& received)
{
    std::vector<std::string> lines;
    const auto end = received.find("\r\n\r\n");
    const std::string block = received.substr(0, end);
    std::size_t start = block.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const auto next = block.find("\r\n", start);
        lines.push_back(block.substr(start, next == std::string::npos ? std::string::npos : next - start));
        start = next;
    }
    return lines;
}

// Whether the client at the other end of sock has hung up.
bool clientLeft(int sock)
{
    pollfd p {sock, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0) {
        return false;
    }
    if ((p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return true;
    }
    char byte = 0;
    return ::recv(sock, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

} // namespace

struct ProxyServer::Impl
{
    explicit Impl(World& w)
        : world(w)
        , web(w)
    {
    }

    void handle(const httplib::Request& req, httplib::Response& res)
    {
        SimRequest request {req.method, req.target, req.get_header_value("Host"), req.body};
        const SimResponse answer = web.handle(request);
        const std::vector<std::string> headers
            = currentStream ? headerLines(currentStream->received()) : std::vector<std::string> {};
        if (answer.stall) {
            // Logged before the wait, as status 0: nothing is ever answered.
            log(request, headers, 0);
            while (!stopping && currentStream && !clientLeft(currentStream->socket())) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            res.status = 503;
            return;
        }
        res.status = answer.status;
        for (const auto& [name, value] : answer.headers) {
            res.set_header(name, value);
        }
        res.set_content(answer.body, answer.contentType.c_str());
        log(request, headers, answer.status);
    }

    void log(const SimRequest& request, const std::vector<std::string>& headers, int status)
    {
        const std::lock_guard lock(logMutex);
        if (!logFile.is_open()) {
            return;
        }
        const nlohmann::ordered_json line = {{"method", request.method},
                                             {"url", SimWeb::absoluteUrl(request)},
                                             {"headers", headers},
                                             {"body", request.body},
                                             {"status", status}};
        logFile << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        logFile.flush();
    }

    World& world;
    SimWeb web;
    RecordingServer server;
    std::thread thread;
    std::mutex logMutex;
    std::ofstream logFile;
    std::atomic<bool> stopping {false};
};

ProxyServer::ProxyServer(World& world)
    : impl_(std::make_unique<Impl>(world))
{
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { impl_->handle(req, res); };
    impl_->server.Get(".*", handler);
    impl_->server.Post(".*", handler);
    impl_->server.Put(".*", handler);
    impl_->server.Delete(".*", handler);
    impl_->server.Patch(".*", handler);
    impl_->server.Options(".*", handler);
}

ProxyServer::~ProxyServer()
{
    stop();
}

bool ProxyServer::setLogFile(const std::string& path)
{
    const std::lock_guard lock(impl_->logMutex);
    impl_->logFile.open(path, std::ios::trunc);
    return impl_->logFile.is_open();
}

int ProxyServer::start(int port)
{
    int bound = -1;
    if (port == 0) {
        bound = impl_->server.bind_to_any_port("127.0.0.1");
    } else if (impl_->server.bind_to_port("127.0.0.1", port)) {
        bound = port;
    }
    if (bound <= 0) {
        return -1;
    }
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    // stop() only reaches a server that is already running.
    for (int i = 0; i < 5000 && !impl_->server.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return bound;
}

void ProxyServer::stop()
{
    if (impl_->thread.joinable()) {
        // Held connections let go first, or stopping would wait for them.
        impl_->stopping = true;
        impl_->server.stop();
        impl_->thread.join();
    }
}

} // namespace zv::simweb
