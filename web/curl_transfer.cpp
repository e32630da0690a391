#include "web/curl_transfer.h"

#include <poll.h>

#include <array>
#include <mutex>

namespace zv::http {

namespace {

// libcurl's global state and the one cookie store that every request of the
// run shares. Created on first use, released at exit.
class CurlRuntime
{
public:
    static CurlRuntime& instance()
    {
        static CurlRuntime runtime;
        return runtime;
    }

    CURLSH* share() const { return share_; }

    CurlRuntime(const CurlRuntime&) = delete;
    CurlRuntime& operator=(const CurlRuntime&) = delete;

private:
    CurlRuntime()
    {
        initialised_ = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        if (!initialised_)
            return;
        share_ = curl_share_init();
        if (share_) {
            curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CurlRuntime::lock);
            curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CurlRuntime::unlock);
            curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
            curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        }
    }

    ~CurlRuntime()
    {
        if (share_)
            curl_share_cleanup(share_);
        if (initialised_)
            curl_global_cleanup();
    }

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user)
    {
        static_cast<CurlRuntime*>(user)->mutexFor(data).lock();
    }

    static void unlock(CURL*, curl_lock_data data, void* user)
    {
        static_cast<CurlRuntime*>(user)->mutexFor(data).unlock();
    }

    std::mutex& mutexFor(curl_lock_data data)
    {
        const auto index = static_cast<std::size_t>(data);
        return mutexes_[index < mutexes_.size() ? index : 0];
    }

    bool initialised_ = false;
    CURLSH* share_ = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
};

int onSocket(CURL*, curl_socket_t fd, int what, void* user, void*)
{
    auto* watch = static_cast<SocketWatch*>(user);
    std::erase_if(watch->sockets, [fd](const SocketWatch::Socket& socket) { return socket.fd == fd; });
    if (what != CURL_POLL_REMOVE)
        watch->sockets.push_back({fd, what});
    return 0;
}

int onTimer(CURLM*, long milliseconds, void* user)
{
    auto* watch = static_cast<SocketWatch*>(user);
    watch->timerSet = milliseconds >= 0;
    if (watch->timerSet)
        watch->timerDue = Clock::now() + std::chrono::milliseconds(milliseconds);
    return 0;
}

// Transfers that finished their request, kept for the next ones of the same
// thread: libcurl's per-handle set-up (its wake-up socket pair, its receive
// buffer, its DNS cache) is paid once, not on every request. Released before
// libcurl's global state at exit.
std::vector<std::unique_ptr<Transfer>>& idleTransfers()
{
    thread_local std::vector<std::unique_ptr<Transfer>> idle;
    return idle;
}

} // namespace

bool appendHeader(HeaderList& list, const std::string& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown)
        return false;
    (void)list.release();
    list.reset(grown);
    return true;
}

CURLSH* sharedCookieStore()
{
    return CurlRuntime::instance().share();
}

int socketEvents(short seen)
{
    int events = 0;
    if (seen & (POLLIN | POLLPRI | POLLHUP | POLLERR))
        events |= CURL_CSELECT_IN;
    if (seen & POLLOUT)
        events |= CURL_CSELECT_OUT;
    if (seen & (POLLERR | POLLNVAL))
        events |= CURL_CSELECT_ERR;
    return events;
}

TransferLease::TransferLease()
{
    // The runtime exists before any handle, so it outlives them all.
    (void)CurlRuntime::instance();
    std::vector<std::unique_ptr<Transfer>>& idle = idleTransfers();
    if (!idle.empty()) {
        transfer_ = std::move(idle.back());
        idle.pop_back();
        return;
    }
    auto fresh = std::make_unique<Transfer>();
    fresh->multi.reset(curl_multi_init());
    fresh->easy.reset(curl_easy_init());
    if (!fresh->multi || !fresh->easy)
        return;
    CURLM* multi = fresh->multi.get();
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &onSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, &fresh->watch);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &onTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, &fresh->watch);
    transfer_ = std::move(fresh);
}

// libcurl 7.88 adds the cookie file name to a list on every request and
// curl_easy_reset does not free it; setting the file to none does, and keeps
// the shared cookies.
TransferLease::~TransferLease()
{
    if (!transfer_)
        return;
    CURL* easy = transfer_->easy.get();
    // A request given up half way (an exception) is still in the multi
    // handle, and removing it reports progress: not to a callback whose
    // data is gone.
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 1L);
    curl_multi_remove_handle(transfer_->multi.get(), easy);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
    curl_easy_reset(easy);
    transfer_->watch = {};
    try {
        idleTransfers().push_back(std::move(transfer_));
    } catch (...) {
        // Not kept: it is cleaned up here instead.
    }
}

} // namespace zv::http
