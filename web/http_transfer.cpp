#include "web/http_transfer.h"

#include "web/curl_transfer.h"
#include "web/event_hook.h"
#include "web/http_request.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace zv::http {

namespace {

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
    CURLSH* const cookies = sharedCookieStore();
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
    curl_easy_setopt(h, CURLOPT_SHARE, cookies);
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

} // namespace

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

} // namespace zv::http
