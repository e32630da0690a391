#pragma once
// One complete HTTP/1.1 exchange per call, returning the response body as raw
// bytes. A failure never raises: it shows as an empty or shortened body, and
// httpExchange tells callers who need to know what happened.
//
// Every request carries a browser-like agent text and header block, follows
// redirections and returns the final body with only the chunked coding
// removed (no compression is asked for). Cookies that servers set are kept in
// memory for the whole run and sent back on later calls. While waiting for
// data the routine lets the window system process pending events
// (web/event_hook.h), so event handlers can run in the middle of a call.
// When the abort hook there reports true, the call returns at once with an
// empty body (and no response headers), as a failed request does.
//
// The host goes on the wire (request line and Host header) in its ASCII form
// (web/url.h asciiHost); a host without one fails like an unusable address.
//
// Proxy: when ZERAVUDEZ_PROXY=host:port is set in the environment it is the
// proxy of every call that names none; otherwise requests go direct and the
// environment's usual proxy variables (http_proxy, ALL_PROXY, no_proxy ...)
// are ignored.

#include "text/text.h"

#include <chrono>
#include <cstddef>

namespace zv {

// The User-Agent of every request.
inline constexpr const char* httpAgentText = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// A body is cut off at this size and what arrived so far is returned.
inline constexpr std::size_t httpBodyLimit = std::size_t {32} * 1024 * 1024;

// What ended an exchange that gave no complete page.
enum class HttpFailure {
    None, // a complete answer with a success (2xx) status
    BadAddress, // no server can be named: no host, a host without an ASCII form, a port beyond 16 bits
    Unreachable, // no answer arrived: refused, not resolved, closed before the status line
    Incomplete, // the answer broke off or broke its coding; the body holds what arrived
    TimedOut, // a wait for data, or the whole exchange, ran out of time; the body holds what arrived
    TooLarge, // the body reached httpBodyLimit and was cut there
    Aborted, // abandoned through the abort hook
    Status, // the final status is not 2xx (a redirection left unfollowed included)
};

struct HttpResult
{
    HttpFailure failure = HttpFailure::BadAddress;
    // Status of the final response; 0 when none arrived.
    int status = 0;
    // Host asked for, in its ASCII form, letters lowered.
    Text requestedHost;
    // Address of the final request (after redirections) as it went out, and
    // its host, letters lowered; empty when nothing went out.
    Text finalUrl;
    Text finalHost;
    // Status line and header lines of the final response, each ending in CR LF.
    Text headers;
    // What httpRequest returns: empty on a Status, BadAddress, Unreachable or
    // Aborted failure, what arrived for the others.
    ByteBlock body;

    bool ok() const { return failure == HttpFailure::None; }
    // Whether redirections ended on another host than the one asked for
    // (the port is not compared).
    bool changedHost() const { return !finalHost.empty() && finalHost != requestedHost; }
};

// method: "POST" in any letter case is sent as spelled; anything else is GET.
// proxy: "host:port" of an HTTP proxy; empty for the default above.
// requestHeaders: extra header lines, each ending in CR LF, sent before the
// default Accept, Referer (the url itself) and Accept-Language lines, each of
// which is left out when the caller's lines already contain it.
// postData: the body of a POST; a non-empty one also gets the form
// Content-Type and its Content-Length.
// responseHeaders: when given, receives the final response's status line and
// header lines, each ending in CR LF (empty when no response arrived).
// A final status other than 2xx gives an empty body, as any failure does.
ByteBlock httpRequest(const Text& url, const Text& method = {}, const Text& proxy = {}, const Text& requestHeaders = {},
                      const Text& postData = {}, Text* responseHeaders = nullptr);

// The same exchange, byte for byte on the wire, with what happened.
HttpResult httpExchange(const Text& url, const Text& method = {}, const Text& proxy = {},
                        const Text& requestHeaders = {}, const Text& postData = {});

// A plain GET of a picture address, through the same proxy setting and cookie
// store as httpRequest. Returns the body, or an empty block when the transfer
// fails, is cut off, is abandoned, or ends with anything but a success status (an
// error, or a redirection still unfollowed when the limit of redirections is
// reached).
ByteBlock downloadPicture(const Text& url);

// Connect, receive and send time-outs of both routines: 18 seconds each. The
// receive and send time-outs bound every wait for data; the whole exchange,
// redirections included, is bounded by ten times the time-out (a server that
// drips a byte now and then), and returns what arrived by then. Tests shorten
// them; a zero or negative value restores the default.
void setHttpTimeout(std::chrono::milliseconds timeout);
std::chrono::milliseconds httpTimeout();

} // namespace zv
