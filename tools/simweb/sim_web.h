#pragma once
// Answers one request of the simulated web: the search engine on
// www.baidu.com, a second one with other mark-up on search.example.com, the
// index service on index.zeravudez.com and a home page for every other host. Requests come as a proxy receives them
// (the request line carries the absolute address) or as a plain server receives them (a path and a Host header).

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/simweb/world.h"

namespace zv::simweb {

inline constexpr const char* kSearchHost = "www.baidu.com";
inline constexpr const char* kIndexHost = "index.zeravudez.com";
// Where the engine sends a client it wants to check.
inline constexpr const char* kVerifyHost = "wappass.baidu.com";
// The second engine (result list items instead of tables) and its check host.
inline constexpr const char* kListEngineHost = "search.example.com";
inline constexpr const char* kListVerifyHost = "verify.example.com";

struct SimRequest
{
    std::string method;
    std::string target; // absolute address or path with query
    std::string hostHeader;
    std::string body;
};

struct SimResponse
{
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers; // besides Content-Type
    bool stall = false; // send nothing; hold the connection until the client leaves
};

struct SplitUrl
{
    std::string host; // lower case, without port
    std::string path; // "/" when absent
    std::string query; // after "?", raw
};

SplitUrl splitTarget(const std::string& target, const std::string& hostHeader);

// Percent escapes decoded, "+" read as a blank.
std::string percentDecode(std::string_view text);
// key -> value of a query or form text; the first of repeated keys wins.
std::map<std::string, std::string> parseQuery(std::string_view query);

class SimWeb
{
public:
    explicit SimWeb(World& world)
        : world_(world)
    {
    }

    SimResponse handle(const SimRequest& request) const;

    // "http://host/path?query" of a request, whichever form it came in.
    static std::string absoluteUrl(const SimRequest& request);

private:
    SimResponse search(const std::map<std::string, std::string>& query, Day day) const;
    SimResponse listSearch(const std::map<std::string, std::string>& query, Day day) const;
    SimResponse verification(const SimRequest& request, Engine engine) const;
    SimResponse index(const SimRequest& request, const SplitUrl& url, Day day) const;

    World& world_;
};

} // namespace zv::simweb
