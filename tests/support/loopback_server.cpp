#include "tests/support/loopback_server.h"

#include "text/text.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace zv::test {

namespace {

constexpr auto slice = std::chrono::milliseconds(20);

std::string trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

const char* reasonFor(int code)
{
    switch (code) {
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    default:
        return "Redirect";
    }
}

bool clientGone(int fd)
{
    pollfd p {fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    if (p.revents & (POLLRDHUP | POLLHUP | POLLERR))
        return true;
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

bool sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::string RecordedRequest::requestLine() const
{
    return head.substr(0, head.find("\r\n"));
}

std::vector<std::string> RecordedRequest::headerLines() const
{
    std::vector<std::string> lines;
    std::size_t pos = head.find("\r\n");
    while (pos != std::string::npos) {
        pos += 2;
        const std::size_t end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos)
            break;
        lines.push_back(head.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::vector<std::string> RecordedRequest::headerNames() const
{
    std::vector<std::string> names;
    for (const std::string& line : headerLines())
        names.push_back(line.substr(0, line.find(':')));
    return names;
}

std::string RecordedRequest::header(std::string_view name) const
{
    const std::string wanted = lowerAscii(name);
    for (const std::string& line : headerLines()) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && lowerAscii(line.substr(0, colon)) == wanted)
            return trimmed(std::string_view(line).substr(colon + 1));
    }
    return {};
}

bool RecordedRequest::hasHeader(std::string_view name) const
{
    const std::vector<std::string> names = headerNames();
    const std::string wanted = lowerAscii(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return lowerAscii(n) == wanted; });
}

Reply& Reply::send(std::string bytes)
{
    steps_.push_back({Step::Kind::Send, std::move(bytes), {}});
    return *this;
}

Reply& Reply::pause(std::chrono::milliseconds duration)
{
    steps_.push_back({Step::Kind::Pause, {}, duration});
    return *this;
}

Reply& Reply::hang()
{
    steps_.push_back({Step::Kind::Hang, {}, {}});
    return *this;
}

Reply& Reply::keepAlive()
{
    keepAlive_ = true;
    return *this;
}

Reply Reply::status(int code, std::string_view reason, std::string_view body, std::string_view extraHeaders)
{
    std::string head = "HTTP/1.1 " + std::to_string(code) + " " + std::string(reason) + "\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += extraHeaders;
    head += "\r\n";
    Reply reply;
    reply.send(head + std::string(body));
    return reply;
}

Reply Reply::ok(std::string_view body, std::string_view extraHeaders)
{
    return status(200, "OK", body, extraHeaders);
}

Reply Reply::chunked(const std::vector<std::string>& pieces, std::string_view extraHeaders)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n";
    bytes += extraHeaders;
    bytes += "\r\n";
    for (const std::string& piece : pieces) {
        std::string size;
        for (std::size_t n = piece.size(); n > 0; n /= 16)
            size.insert(size.begin(), hex[n % 16]);
        if (size.empty())
            continue; // an empty chunk would end the body early
        bytes += size + "\r\n" + piece + "\r\n";
    }
    bytes += "0\r\n\r\n";
    Reply reply;
    reply.send(std::move(bytes));
    return reply;
}

Reply Reply::redirect(int code, std::string_view location, std::string_view extraHeaders)
{
    const std::string headers = "Location: " + std::string(location) + "\r\n" + std::string(extraHeaders);
    return status(code, reasonFor(code), "moved", headers);
}

Reply Reply::untilClose(std::string_view body)
{
    Reply reply;
    reply.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(body));
    return reply;
}

LoopbackServer::LoopbackServer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        std::abort();
    const int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 64) != 0)
        std::abort();
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer()
{
    stop();
}

std::string LoopbackServer::authority() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackServer::url(std::string_view path) const
{
    return "http://" + authority() + std::string(path);
}

void LoopbackServer::enqueue(Reply reply)
{
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(reply));
}

void LoopbackServer::setHandler(std::function<Reply(const RecordedRequest&)> handler)
{
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackServer::requestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::size_t LoopbackServer::connectionCount() const
{
    std::lock_guard lock(mutex_);
    return connections_;
}

void LoopbackServer::stop()
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_ && listenFd_ < 0)
            return;
        stopping_ = true;
    }
    stopped_.notify_all();
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers)
        worker.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

void LoopbackServer::acceptLoop()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        pollfd p {listenFd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(slice.count())) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        ++connections_;
        workers_.emplace_back([this, fd] {
            serve(fd);
            ::close(fd);
        });
    }
}

bool LoopbackServer::waitOrStop(std::chrono::milliseconds duration, int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return true;
        lock.unlock();
        const bool gone = clientGone(fd);
        lock.lock();
        if (gone)
            return false;
        stopped_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(slice, deadline - now));
    }
    return false;
}

Reply LoopbackServer::replyFor(const RecordedRequest& request)
{
    std::function<Reply(const RecordedRequest&)> handler;
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) {
            Reply reply = std::move(queue_.front());
            queue_.pop_front();
            return reply;
        }
        handler = handler_;
    }
    if (handler)
        return handler(request);
    return Reply::status(404, "Not Found", "");
}

void LoopbackServer::serve(int fd)
{
    std::string pending;
    for (;;) {
        // Read one request head, then the body its headers announce.
        RecordedRequest request;
        std::size_t headEnd = std::string::npos;
        auto readMore = [&]() {
            char buffer[4096];
            for (;;) {
                {
                    std::lock_guard lock(mutex_);
                    if (stopping_)
                        return false;
                }
                pollfd p {fd, POLLIN, 0};
                if (::poll(&p, 1, static_cast<int>(slice.count())) <= 0)
                    continue;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return false;
                pending.append(buffer, static_cast<std::size_t>(n));
                return true;
            }
        };
        while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            if (!readMore())
                return;
        }
        request.head = pending.substr(0, headEnd + 4);
        pending.erase(0, headEnd + 4);
        if (lowerAscii(request.header("Transfer-Encoding")) == "chunked") {
            std::size_t end;
            while ((end = pending.find("0\r\n\r\n")) == std::string::npos) {
                if (!readMore())
                    return;
            }
            request.body = pending.substr(0, end + 5);
            pending.erase(0, end + 5);
        } else {
            const std::size_t length = std::strtoull(request.header("Content-Length").c_str(), nullptr, 10);
            while (pending.size() < length) {
                if (!readMore())
                    return;
            }
            request.body = pending.substr(0, length);
            pending.erase(0, length);
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }

        const Reply reply = replyFor(request);
        for (const Reply::Step& step : reply.steps()) {
            switch (step.kind) {
            case Reply::Step::Kind::Send:
                if (!sendAll(fd, step.bytes))
                    return;
                break;
            case Reply::Step::Kind::Pause:
                if (!waitOrStop(step.duration, fd))
                    return;
                break;
            case Reply::Step::Kind::Hang:
                waitOrStop(std::chrono::hours(24), fd);
                return;
            }
        }
        if (!reply.keepsAlive())
            return;
    }
}

int unusedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace zv::test
