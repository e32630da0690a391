#pragma once
// A stand-in for the outside web in the query tests: an HTTP proxy on
// 127.0.0.1 that answers each absolute address with the page (and status) set
// for it and every other address with 404 and an empty body, and records the
// addresses asked for in order.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zv {

class PageServer
{
public:
    PageServer();
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    // "127.0.0.1:port", the value for ZERAVUDEZ_PROXY.
    std::string proxy() const;

    void setPage(const std::string& url, std::string body);
    // The address answers with that status and body.
    void setStatus(const std::string& url, int status, std::string body = {});
    // The address answers 302 to location.
    void setRedirect(const std::string& url, const std::string& location);
    void removePage(const std::string& url);
    std::vector<std::string> requests() const;
    void clearRequests();

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    struct Page
    {
        int status = 200;
        std::string body;
        std::string location;
    };
    std::map<std::string, Page> m_pages;
    std::vector<std::string> m_requests;
};

} // namespace zv
