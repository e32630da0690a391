#include "web/http_request.h"

#include "web/event_hook.h"
#include "web/url.h"

#include <curl/curl.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds defaultTimeout {18000};
constexpr int maxRedirects = 20;
// The header block of one response is small; anything past this is noise.
constexpr std::size_t headerLimit = 256 * 1024;
// How long one wait for socket activity may last before pending window events
// get their turn again.
constexpr int pollMilliseconds = 50;
// What one read from the socket may take: a result page of a few hundred
// kilobytes arrives in a few reads instead of one per 16 KB (libcurl's
// default), each of them with its own readiness check.
constexpr long receiveBufferSize = 256 * 1024;
// The most room made for a body ahead of its arrival on the strength of its
// announced length.
constexpr curl_off_t reservedBodyLimit = 4 * 1024 * 1024;
// A server that keeps sending a byte now and then resets every per-wait
// time-out; the whole exchange, redirections included, ends after this many
// time-outs with what has arrived.
constexpr int exchangeTimeoutFactor = 10;

std::atomic<long long> timeoutMilliseconds {defaultTimeout.count()};

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

// What poll saw on a socket, as libcurl's event bits.
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

// An easy handle and the multi handle that runs it. The multi handle is driven
// by socket events, so libcurl is told which socket is ready instead of
// checking each one itself.
struct Transfer
{
    MultiHandle multi;
    EasyHandle easy;
    SocketWatch watch;
};

// Transfers that finished their request, kept for the next ones of the same
// thread: libcurl's per-handle set-up (its wake-up socket pair, its receive
// buffer, its DNS cache) is paid once, not on every request. Released before
// libcurl's global state at exit.
std::vector<std::unique_ptr<Transfer>>& idleTransfers()
{
    thread_local std::vector<std::unique_ptr<Transfer>> idle;
    return idle;
}

// The transfer of one request, taken from the thread's idle ones or made new.
// A request started by an event handler while another one waits gets a
// transfer of its own; both are kept for later.
class TransferLease
{
public:
    TransferLease()
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

    // The handle goes back without any of this request's options, which
    // point at the caller's buffers. libcurl 7.88 adds the cookie file name
    // to a list on every request and curl_easy_reset does not free it;
    // setting the file to none does, and keeps the shared cookies.
    ~TransferLease()
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

    TransferLease(const TransferLease&) = delete;
    TransferLease& operator=(const TransferLease&) = delete;

    Transfer* get() const { return transfer_.get(); }

private:
    std::unique_ptr<Transfer> transfer_;
};

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(char a, char b)
{
    return foldAscii(a) == foldAscii(b);
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, sameIgnoringCase);
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalIgnoringCase(s.substr(0, prefix.size()), prefix);
}

// The header block is plain ASCII in practice; a case-blind byte search is
// what its tests need.
bool containsIgnoringCase(std::string_view hay, std::string_view needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), sameIgnoringCase) != hay.end();
}

std::vector<std::string_view> headerLines(std::string_view block)
{
    std::vector<std::string_view> lines;
    while (!block.empty()) {
        const std::size_t end = block.find("\r\n");
        const std::string_view line = block.substr(0, end);
        if (!line.empty())
            lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        block.remove_prefix(end + 2);
    }
    return lines;
}

bool hasHeaderNamed(const std::vector<std::string_view>& lines, std::string_view name)
{
    for (std::string_view line : lines) {
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && equalIgnoringCase(line.substr(0, colon), name))
            return true;
    }
    return false;
}

bool isHostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_';
}

// Bytes that cannot stand in a request line as they are (blanks, controls,
// non-ASCII) and "#", which would otherwise end the path, go percent-encoded.
Text requestTargetOf(std::string_view path)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    Text out;
    out.reserve(path.size());
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#') {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

struct Target
{
    std::string url; // what libcurl is given
    std::string host; // its host, ASCII, letters lowered
};

// The address libcurl is given, rebuilt from the split pieces with the host in
// its ASCII form; an empty url when the host or port cannot name a server
// (such an address cannot be resolved).
Target transferTarget(const Text& url)
{
    const Text host = asciiHost(urlHost(url));
    if (host.empty())
        return {};
    for (char c : host) {
        if (!isHostByte(c))
            return {};
    }
    int port = urlPort(url);
    if (port == 0)
        port = 80;
    if (port < 0 || port > 65535)
        return {};
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a
    // literal + string in a Release build.
    std::string result = "http://";
    result += host;
    if (port != 80) {
        result += ':';
        result += std::to_string(port);
    }
    result += requestTargetOf(urlPath(url));
    return {result, lowerAscii(host)};
}

struct UrlDeleter
{
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

// The host of an absolute address libcurl followed, in its ASCII form and
// letters lowered; empty when it names none.
std::string hostOfUrl(const std::string& url)
{
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return {};
    char* host = nullptr;
    unsigned int flags = 0;
#ifdef CURLU_PUNYCODE
    flags |= CURLU_PUNYCODE;
#endif
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, flags) != CURLUE_OK || !host)
        return {};
    const std::string lowered = lowerAscii(host);
    curl_free(host);
    return lowered;
}

std::string effectiveProxy(const Text& proxy)
{
    std::string name = proxy;
    if (name.empty()) {
        const char* fromEnvironment = std::getenv("ZERAVUDEZ_PROXY");
        if (fromEnvironment)
            name = fromEnvironment;
    }
    if (name.empty())
        return {};
    return name.find("://") == std::string::npos ? "http://" + name : name;
}

bool appendHeader(HeaderList& list, const std::string& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown)
        return false;
    (void)list.release();
    list.reset(grown);
    return true;
}

struct Hop
{
    std::string url;
    bool post = false;
    std::string verb; // spelled as the caller spelled it, for a POST
    const ByteBlock* body = nullptr; // the POST body
    std::vector<std::string> headers; // sent in this order
};

struct HopResult
{
    std::string url; // the address this hop asked for
    CURLcode code = CURLE_FAILED_INIT;
    long status = 0;
    bool cutOff = false;
    bool aborted = false; // abandoned through the abort hook
    ByteBlock body;
    Text headers;
    std::string redirectUrl;
};

struct TransferProgress
{
    HopResult* result = nullptr;
    CURL* easy = nullptr;
    bool connected = false;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t received = 0;
    curl_off_t sent = 0;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* progress = static_cast<TransferProgress*>(user);
    progress->lastActivity = Clock::now();
    ByteBlock& body = progress->result->body;
    const size_t bytes = size * count;
    // libcurl hands the body over in pieces of 16 KB at most: room for the
    // announced length at once spares growing and copying it piece by piece.
    // A false length costs untouched address space only, 4 MB at most.
    curl_off_t announced = -1;
    if (body.empty() && curl_easy_getinfo(progress->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK
        && announced > 0)
        body.reserve(static_cast<size_t>(std::min<curl_off_t>(announced, reservedBodyLimit)));
    const size_t room = httpBodyLimit - body.size();
    if (bytes > room) {
        // Keep what fits and stop the transfer: returning a short count
        // makes libcurl abort.
        body.append(data, room);
        progress->result->cutOff = true;
        return room;
    }
    body.append(data, bytes);
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* progress = static_cast<TransferProgress*>(user);
    progress->lastActivity = Clock::now();
    const size_t bytes = size * count;
    const std::string_view line(data, bytes);
    Text& headers = progress->result->headers;
    // Each status line starts a new block, so an interim "100 Continue" does
    // not stay in front of the real answer.
    if (line.starts_with("HTTP/"))
        headers.clear();
    if (line != "\r\n" && line != "\n" && headers.size() + bytes <= headerLimit)
        headers.append(line);
    return bytes;
}

int onConnected(void* user, char*, char*, int, int)
{
    auto* progress = static_cast<TransferProgress*>(user);
    progress->connected = true;
    progress->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto* progress = static_cast<TransferProgress*>(user);
    if (received != progress->received || sent != progress->sent) {
        progress->received = received;
        progress->sent = sent;
        progress->lastActivity = Clock::now();
    }
    return 0;
}

// One request and its response on a new connection (a kept handle starts from
// libcurl's defaults; the cookies come from the shared store). The multi
// interface lets the loop below hand control to pending window events before
// every wait for data, and enforce the receive and send time-outs per wait.
HopResult runHop(const Hop& hop, const std::string& proxy, Clock::time_point deadline)
{
    HopResult result;
    result.url = hop.url;
    CurlRuntime& runtime = CurlRuntime::instance();
    const TransferLease lease;
    if (!lease.get())
        return result;
    CURLM* multi = lease.get()->multi.get();
    CURL* h = lease.get()->easy.get();
    const SocketWatch& watch = lease.get()->watch;
    const auto timeout = httpTimeout();

    HeaderList headers;
    for (const std::string& line : hop.headers) {
        if (!appendHeader(headers, line))
            return result;
    }
    HeaderList proxyHeaders;
    if (!appendHeader(proxyHeaders, "Proxy-Connection:"))
        return result;

    TransferProgress progress;
    progress.result = &result;
    progress.easy = h;

    curl_easy_setopt(h, CURLOPT_URL, hop.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, httpAgentText);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, receiveBufferSize);
    // An explicit proxy (even an empty one) keeps libcurl from reading the
    // environment's proxy variables.
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    curl_easy_setopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_easy_setopt(h, CURLOPT_PROXYHEADER, proxyHeaders.get());
    curl_easy_setopt(h, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_SHARE, runtime.share());
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &progress);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &progress);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &onConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, &progress);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    if (hop.post) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(hop.body->size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, hop.body->data());
        if (hop.verb != "POST")
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }

    if (curl_multi_add_handle(multi, h) != CURLM_OK)
        return result;
    const Clock::time_point started = Clock::now();
    bool timedOut = false;
    // The sockets of the last wait and what it saw on them.
    std::vector<pollfd> waited;
    for (;;) {
        processPendingEvents();
        // Checked before every step, so a request asked for once the
        // application has given up never even connects.
        if (abortRequested()) {
            result.aborted = true;
            break;
        }
        // libcurl runs for each socket the wait found ready, or else for its
        // timer (the first step included).
        int running = 0;
        bool stepped = true;
        bool anyReady = false;
        for (const pollfd& socket : waited) {
            if (socket.revents == 0)
                continue;
            anyReady = true;
            stepped = stepped
                && curl_multi_socket_action(multi, socket.fd, socketEvents(socket.revents), &running) == CURLM_OK;
        }
        if (!anyReady)
            stepped = curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &running) == CURLM_OK;
        if (!stepped || running == 0)
            break;
        const Clock::time_point now = Clock::now();
        // libcurl bounds the connect itself; this only catches a resolver
        // that never returns.
        const auto idleSince = progress.connected ? progress.lastActivity : started;
        const auto limit = progress.connected ? timeout : timeout * 2;
        if (now - idleSince > limit || now > deadline) {
            timedOut = true;
            break;
        }
        // Wait for the watched sockets until libcurl's timer is due, and never
        // longer than a turn of the window's events.
        waited.clear();
        for (const SocketWatch::Socket& socket : watch.sockets) {
            const short events = static_cast<short>(((socket.what & CURL_POLL_IN) ? POLLIN : 0)
                                                    | ((socket.what & CURL_POLL_OUT) ? POLLOUT : 0));
            waited.push_back({socket.fd, events, 0});
        }
        auto wait = std::chrono::milliseconds(pollMilliseconds);
        if (watch.timerSet) {
            wait = std::min(wait,
                            std::chrono::ceil<std::chrono::milliseconds>(
                                std::max(watch.timerDue - Clock::now(), Clock::duration::zero())));
        }
        if (wait.count() > 0)
            poll(waited.data(), waited.size(), static_cast<int>(wait.count()));
    }
    result.code = timedOut ? CURLE_OPERATION_TIMEDOUT : CURLE_FAILED_INIT;
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &pending)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == h)
            result.code = message->data.result;
    }
    if (result.aborted)
        result.code = CURLE_ABORTED_BY_CALLBACK;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    char* location = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
        result.redirectUrl = location;
    curl_multi_remove_handle(multi, h);
    return result;
}

// Runs the first hop and follows redirections the way a browser does: 301,
// 302 and 303 continue as a GET without a body, 307 and 308 repeat the
// request. The body returned is that of the last response.
HopResult exchange(Hop hop, const std::string& proxy, const std::vector<std::string>& formHeaders)
{
    HopResult result;
    const Clock::time_point deadline = Clock::now() + httpTimeout() * exchangeTimeoutFactor;
    for (int redirects = 0;; ++redirects) {
        result = runHop(hop, proxy, deadline);
        const long status = result.status;
        const bool redirected = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
        if (result.code != CURLE_OK || !redirected || result.redirectUrl.empty() || redirects >= maxRedirects)
            return result;
        if (!startsWithIgnoringCase(result.redirectUrl, "http://")
            && !startsWithIgnoringCase(result.redirectUrl, "https://"))
            return result;
        hop.url = result.redirectUrl;
        if (hop.post && status != 307 && status != 308) {
            hop.post = false;
            std::erase_if(hop.headers, [&](const std::string& line) {
                for (const std::string& form : formHeaders) {
                    if (line == form)
                        return true;
                }
                return false;
            });
        }
    }
}

HttpFailure failureOf(const HopResult& result)
{
    if (result.aborted)
        return HttpFailure::Aborted;
    if (result.status != 0 && (result.status < 200 || result.status >= 300))
        return HttpFailure::Status;
    if (result.cutOff)
        return HttpFailure::TooLarge;
    if (result.code == CURLE_OK)
        return result.status != 0 ? HttpFailure::None : HttpFailure::Unreachable;
    if (result.code == CURLE_OPERATION_TIMEDOUT)
        return HttpFailure::TimedOut;
    return result.status == 0 ? HttpFailure::Unreachable : HttpFailure::Incomplete;
}

} // namespace

void setHttpTimeout(std::chrono::milliseconds timeout)
{
    timeoutMilliseconds = timeout.count() > 0 ? timeout.count() : defaultTimeout.count();
}

std::chrono::milliseconds httpTimeout()
{
    return std::chrono::milliseconds(timeoutMilliseconds.load());
}

ByteBlock httpRequest(const Text& url, const Text& method, const Text& proxy, const Text& requestHeaders,
                      const Text& postData, Text* responseHeaders)
{
    HttpResult result = httpExchange(url, method, proxy, requestHeaders, postData);
    if (responseHeaders)
        *responseHeaders = std::move(result.headers);
    return std::move(result.body);
}

HttpResult httpExchange(const Text& url, const Text& method, const Text& proxy, const Text& requestHeaders,
                        const Text& postData)
{
    HttpResult outcome;
    try {
        Target target = transferTarget(url);
        if (target.url.empty())
            return outcome;
        outcome.requestedHost = std::move(target.host);
        Hop hop;
        hop.url = target.url;
        hop.post = lowerAscii(method) == "post";
        hop.verb = hop.post ? method : Text("GET");
        hop.body = &postData;

        Text block = requestHeaders;
        if (!containsIgnoringCase(block, "Accept: "))
            block += "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
                     "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
        if (!containsIgnoringCase(block, "Referer: "))
            block += "Referer: " + url + "\r\n";
        if (!containsIgnoringCase(block, "Accept-Language: "))
            block += "Accept-Language: zh-cn\r\n";
        std::vector<std::string> formHeaders;
        if (hop.post && !postData.empty()) {
            formHeaders.push_back("Content-Type: application/x-www-form-urlencoded");
            formHeaders.push_back("Content-Length: " + std::to_string(postData.size()));
        }

        const std::vector<std::string_view> lines = headerLines(block);
        for (std::string_view line : lines)
            hop.headers.emplace_back(line);
        hop.headers.insert(hop.headers.end(), formHeaders.begin(), formHeaders.end());
        // Headers libcurl would add on its own are switched off with an empty
        // value, so only the block above goes out.
        if (!hasHeaderNamed(lines, "Accept"))
            hop.headers.emplace_back("Accept:");
        if (!hasHeaderNamed(lines, "Expect"))
            hop.headers.emplace_back("Expect:");
        if (formHeaders.empty()) {
            if (!hasHeaderNamed(lines, "Content-Type"))
                hop.headers.emplace_back("Content-Type:");
            if (!hasHeaderNamed(lines, "Content-Length"))
                hop.headers.emplace_back("Content-Length:");
        }

        HopResult result = exchange(std::move(hop), effectiveProxy(proxy), formHeaders);
        outcome.failure = failureOf(result);
        outcome.status = static_cast<int>(result.status);
        outcome.finalUrl = result.url;
        outcome.finalHost = result.url == target.url ? outcome.requestedHost : hostOfUrl(result.url);
        // An abandoned exchange stopped at an arbitrary point: nothing of it
        // may pass for a page. An error page is no page either.
        if (outcome.failure == HttpFailure::Aborted)
            return outcome;
        outcome.headers = result.headers.substr(0, result.headers.find('\0'));
        if (outcome.failure != HttpFailure::Status)
            outcome.body = std::move(result.body);
        return outcome;
    } catch (...) {
        HttpResult failed;
        failed.failure = HttpFailure::Unreachable;
        return failed;
    }
}

ByteBlock downloadPicture(const Text& url)
{
    try {
        Hop hop;
        hop.url = transferTarget(url).url;
        if (hop.url.empty())
            return {};
        hop.verb = "GET";
        HopResult result = exchange(std::move(hop), effectiveProxy({}), {});
        if (failureOf(result) != HttpFailure::None)
            return {};
        return std::move(result.body);
    } catch (...) {
        return {};
    }
}

} // namespace zv
