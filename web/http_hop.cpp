#include "web/http_hop.h"

#include "web/url.h"

#include <algorithm>
#include <cstdlib>

namespace zv::http {

namespace {

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

} // namespace

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalIgnoringCase(s.substr(0, prefix.size()), prefix);
}

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

Hop firstHop(const std::string& target, const Text& url, const Text& method, const Text& requestHeaders,
             const Text& postData, std::vector<std::string>& formHeaders)
{
    Hop hop;
    hop.url = target;
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
    return hop;
}

} // namespace zv::http
