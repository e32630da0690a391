#include "web/http_request.h"

#include "web/http_hop.h"
#include "web/http_transfer.h"

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zv {

namespace {

constexpr std::chrono::milliseconds defaultTimeout {18000};

std::atomic<long long> timeoutMilliseconds {defaultTimeout.count()};

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

HttpFailure failureOf(const http::HopResult& result)
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
        http::Target target = http::transferTarget(url);
        if (target.url.empty())
            return outcome;
        outcome.requestedHost = std::move(target.host);
        std::vector<std::string> formHeaders;
        http::Hop hop = http::firstHop(target.url, url, method, requestHeaders, postData, formHeaders);
        http::HopResult result = http::exchange(std::move(hop), http::effectiveProxy(proxy), formHeaders);
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
        http::Hop hop;
        hop.url = http::transferTarget(url).url;
        if (hop.url.empty())
            return {};
        hop.verb = "GET";
        http::HopResult result = http::exchange(std::move(hop), http::effectiveProxy({}), {});
        if (failureOf(result) != HttpFailure::None)
            return {};
        return std::move(result.body);
    } catch (...) {
        return {};
    }
}

} // namespace zv
