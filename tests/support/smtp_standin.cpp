#include "tests/support/smtp_standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace zv::test {

namespace {

bool sendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// The address between the brackets of "MAIL FROM:<a@b> ..." or "RCPT TO:<a@b>".
std::string bracketed(const std::string& line)
{
    const std::size_t open = line.find('<');
    const std::size_t close = line.find('>', open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    return line.substr(open + 1, close - open - 1);
}

class LineReader
{
public:
    LineReader(int fd, const std::atomic<bool>& stopping)
        : fd_(fd)
        , stopping_(stopping)
    {
    }

    // One line without its CR LF; nothing when the client left or the server stops.
    std::optional<std::string> next()
    {
        for (;;) {
            if (const std::size_t end = buffer_.find("\r\n"); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 2);
                return line;
            }
            if (stopping_)
                return std::nullopt;
            pollfd p {fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

private:
    int fd_;
    const std::atomic<bool>& stopping_;
    std::string buffer_;
};

} // namespace

SmtpStandIn::SmtpStandIn()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 8);
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { acceptLoop(); });
}

SmtpStandIn::~SmtpStandIn()
{
    stop();
}

std::string SmtpStandIn::url() const
{
    return "smtp://127.0.0.1:" + std::to_string(port_);
}

std::vector<ReceivedMail> SmtpStandIn::mails() const
{
    const std::lock_guard lock(mutex_);
    return mails_;
}

std::vector<std::string> SmtpStandIn::commands() const
{
    const std::lock_guard lock(mutex_);
    return commands_;
}

void SmtpStandIn::stop()
{
    if (stopping_.exchange(true))
        return;
    if (thread_.joinable())
        thread_.join();
    ::close(listenFd_);
}

void SmtpStandIn::acceptLoop()
{
    while (!stopping_) {
        pollfd p {listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

void SmtpStandIn::serve(int fd)
{
    LineReader reader(fd, stopping_);
    if (!sendAll(fd, "220 stand-in ESMTP\r\n"))
        return;
    ReceivedMail mail;
    while (const std::optional<std::string> line = reader.next()) {
        {
            const std::lock_guard lock(mutex_);
            commands_.push_back(*line);
        }
        const std::string verb = upper(line->substr(0, line->find(' ')));
        std::string reply = "250 OK\r\n";
        if (verb == "EHLO") {
            reply = "250-stand-in\r\n250 8BITMIME\r\n";
        } else if (verb == "MAIL") {
            mail = {};
            mail.from = bracketed(*line);
        } else if (verb == "RCPT") {
            mail.to.push_back(bracketed(*line));
        } else if (verb == "DATA") {
            if (!sendAll(fd, "354 go on\r\n"))
                return;
            while (const std::optional<std::string> data = reader.next()) {
                if (*data == ".")
                    break;
                mail.data += (data->rfind("..", 0) == 0 ? data->substr(1) : *data) + "\r\n";
            }
            const std::lock_guard lock(mutex_);
            mails_.push_back(mail);
        } else if (verb == "QUIT") {
            sendAll(fd, "221 bye\r\n");
            return;
        } else if (verb != "HELO" && verb != "RSET" && verb != "NOOP") {
            reply = "502 not here\r\n";
        }
        if (!sendAll(fd, reply))
            return;
    }
}

} // namespace zv::test
