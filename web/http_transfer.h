#pragma once
// One exchange of the HTTP client on the wire: each request's transfer loop,
// which lets pending window events run before every wait for data and bounds
// every wait, the whole exchange and the body, and the redirections it
// follows. Only the web library's own sources include this.

#include "text/text.h"
#include "web/http_hop.h"

#include <curl/curl.h>

#include <string>
#include <vector>

namespace zv::http {

// What the last request of an exchange brought.
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

// Runs the first hop and follows redirections the way a browser does: 301,
// 302 and 303 continue as a GET without a body (and without the formHeaders
// lines), 307 and 308 repeat the request. The body returned is that of the
// last response.
HopResult exchange(Hop hop, const std::string& proxy, const std::vector<std::string>& formHeaders);

} // namespace zv::http
