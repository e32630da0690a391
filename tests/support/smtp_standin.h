#pragma once
// A mail server for tests on 127.0.0.1: it speaks enough SMTP for one client
// at a time (EHLO or HELO, MAIL, RCPT, DATA, RSET, NOOP, QUIT), offers
// neither STARTTLS nor a login, and records every command and message.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zv::test {

struct ReceivedMail
{
    std::string from; // the MAIL FROM address, without brackets
    std::vector<std::string> to; // the RCPT TO addresses
    std::string data; // the message as sent, lines ending in CR LF, dots unstuffed
};

class SmtpStandIn
{
public:
    SmtpStandIn();
    ~SmtpStandIn();
    SmtpStandIn(const SmtpStandIn&) = delete;
    SmtpStandIn& operator=(const SmtpStandIn&) = delete;

    int port() const { return port_; }
    // "smtp://127.0.0.1:<port>"
    std::string url() const;

    std::vector<ReceivedMail> mails() const;
    // Every command line received, in order, without CR LF (message lines
    // not included).
    std::vector<std::string> commands() const;

    void stop();

private:
    void acceptLoop();
    void serve(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ {false};
    mutable std::mutex mutex_;
    std::vector<ReceivedMail> mails_;
    std::vector<std::string> commands_;
    std::thread thread_;
};

} // namespace zv::test
