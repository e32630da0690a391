#include "page_server.h"

#include <httplib.h>

#include <chrono>

namespace zv {

PageServer::PageServer()
    : m_server(std::make_unique<httplib::Server>())
{
    auto answer = [this](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request.target);
        const auto page = m_pages.find(request.target);
        if (page == m_pages.end()) {
            response.status = 404;
            return;
        }
        response.status = page->second.status;
        if (!page->second.location.empty())
            response.set_header("Location", page->second.location);
        response.set_content(page->second.body, "text/html");
    };
    m_server->Get(".*", answer);
    m_server->Post(".*", answer);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop that comes before the server listens is lost and the listening
    // thread never ends: wait until it listens.
    while (m_port > 0 && !m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

PageServer::~PageServer()
{
    m_server->stop();
    m_thread.join();
}

std::string PageServer::proxy() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

void PageServer::setPage(const std::string& url, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_pages[url] = {200, std::move(body), {}};
}

void PageServer::setStatus(const std::string& url, int status, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_pages[url] = {status, std::move(body), {}};
}

void PageServer::setRedirect(const std::string& url, const std::string& location)
{
    std::lock_guard lock(m_mutex);
    m_pages[url] = {302, {}, location};
}

void PageServer::removePage(const std::string& url)
{
    std::lock_guard lock(m_mutex);
    m_pages.erase(url);
}

std::vector<std::string> PageServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void PageServer::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

} // namespace zv
