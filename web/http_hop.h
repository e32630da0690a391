#pragma once
// A request of the HTTP client as it goes out: the address libcurl is given,
// the proxy, and the header block (the caller's lines, the defaults they lack,
// libcurl's own headers switched off). Only the web library's own sources
// include this.

#include "text/text.h"

#include <string>
#include <string_view>
#include <vector>

namespace zv::http {

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix);

struct Target
{
    std::string url; // what libcurl is given
    std::string host; // its host, ASCII, letters lowered
};

// The address libcurl is given, rebuilt from the split pieces with the host in
// its ASCII form; an empty url when the host or port cannot name a server
// (such an address cannot be resolved).
Target transferTarget(const Text& url);

// The proxy a call goes through: the one it names, else ZERAVUDEZ_PROXY, else
// none (empty); with "http://" in front when it names no scheme.
std::string effectiveProxy(const Text& proxy);

// One request of an exchange: the first, or one a redirection asks for.
struct Hop
{
    std::string url;
    bool post = false;
    std::string verb; // spelled as the caller spelled it, for a POST
    const ByteBlock* body = nullptr; // the POST body
    std::vector<std::string> headers; // sent in this order
};

// The first request of a call to target (a transferTarget url) for url. The
// hop points at postData, which must outlive it. formHeaders receives the form
// lines of a POST with a body, which a redirection to a GET takes out again.
Hop firstHop(const std::string& target, const Text& url, const Text& method, const Text& requestHeaders,
             const Text& postData, std::vector<std::string>& formHeaders);

} // namespace zv::http
