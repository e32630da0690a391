#pragma once
// The libcurl handles of the HTTP client: libcurl's global state with the
// cookie store every request of the run shares, and the easy and multi handle
// pair each request runs on, kept per thread for the next requests. Only the
// web library's own sources include this.

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zv::http {

using Clock = std::chrono::steady_clock;

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter
{
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// Appends a header line; false when libcurl has no room for it.
bool appendHeader(HeaderList& list, const std::string& line);

// libcurl's global state, set up on the first call and released at exit, and
// the one cookie store that every request of the run shares (null when it
// could not be made).
CURLSH* sharedCookieStore();

// The sockets libcurl wants watched and when it wants to run again without
// socket activity, as its socket and timer callbacks tell them.
struct SocketWatch
{
    struct Socket
    {
        curl_socket_t fd = CURL_SOCKET_BAD;
        int what = CURL_POLL_NONE;
    };
    std::vector<Socket> sockets;
    bool timerSet = false;
    Clock::time_point timerDue;
};

// What poll saw on a socket, as libcurl's event bits.
int socketEvents(short seen);

// An easy handle and the multi handle that runs it. The multi handle is driven
// by socket events, so libcurl is told which socket is ready instead of
// checking each one itself.
struct Transfer
{
    MultiHandle multi;
    EasyHandle easy;
    SocketWatch watch;
};

// The transfer of one request, taken from the thread's idle ones or made new.
// A request started by an event handler while another one waits gets a
// transfer of its own; both are kept for later.
class TransferLease
{
public:
    TransferLease();
    // The handle goes back without any of this request's options, which
    // point at the caller's buffers.
    ~TransferLease();

    TransferLease(const TransferLease&) = delete;
    TransferLease& operator=(const TransferLease&) = delete;

    // Null when libcurl could not make the handles.
    Transfer* get() const { return transfer_.get(); }

private:
    std::unique_ptr<Transfer> transfer_;
};

} // namespace zv::http
