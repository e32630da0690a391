#include "tools/simweb/sim_web.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "tools/simweb/home_pages.h"
#include "tools/simweb/index_pages.h"
#include "tools/simweb/list_pages.h"
#include "tools/simweb/pages.h"
#include "tools/simweb/pictures.h"

namespace zv::simweb {

namespace {

std::string lowerAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// Blanks around a search term mean nothing to the engine.
std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

int toInt(const std::string& text, int fallback)
{
    int value = fallback;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

std::string stripHostPort(std::string host)
{
    const auto colon = host.find(':');
    return lowerAscii(colon == std::string::npos ? host : host.substr(0, colon));
}

SimResponse html(std::string body, int status = 200)
{
    return {status, "text/html; charset=utf-8", std::move(body), {}, false};
}

// The page an engine answer stands for, in that engine's mark-up; nothing
// when the normal page is due.
std::optional<SimResponse> unusualAnswer(const EngineAnswer& answer, const std::string& keyword,
                                         Engine engine = Engine::Tables)
{
    const bool list = engine == Engine::List;
    switch (answer.kind) {
    case EngineAnswer::Kind::Normal:
        return std::nullopt;
    case EngineAnswer::Kind::Status:
        return html(errorPage(answer.status), answer.status);
    case EngineAnswer::Kind::Stall: {
        SimResponse held;
        held.stall = true;
        return held;
    }
    case EngineAnswer::Kind::NoResults:
        return html(list ? listNoResultsPage(keyword) : noResultsPage(keyword));
    case EngineAnswer::Kind::Broken:
        return html(list ? listBrokenPage(keyword) : brokenResultPage(keyword));
    }
    return std::nullopt;
}

} // namespace

SplitUrl splitTarget(const std::string& target, const std::string& hostHeader)
{
    SplitUrl url;
    std::string rest = target;
    if (lowerAscii(rest.substr(0, 7)) == "http://") {
        rest.erase(0, 7);
        const auto slash = rest.find_first_of("/?");
        url.host = stripHostPort(rest.substr(0, slash));
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
    } else {
        url.host = stripHostPort(hostHeader);
    }
    const auto question = rest.find('?');
    url.path = rest.substr(0, question);
    if (question != std::string::npos) {
        url.query = rest.substr(question + 1);
    }
    if (url.path.empty()) {
        url.path.push_back('/');
    }
    return url;
}

std::string percentDecode(std::string_view text)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && nibble(text[i + 1]) >= 0 && nibble(text[i + 2]) >= 0) {
            out += static_cast<char>(nibble(text[i + 1]) * 16 + nibble(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> parseQuery(std::string_view query)
{
    std::map<std::string, std::string> out;
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        const std::string key = percentDecode(pair.substr(0, eq));
        const std::string value = eq == std::string_view::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        if (!key.empty()) {
            out.try_emplace(key, value);
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query.remove_prefix(amp + 1);
    }
    return out;
}

std::string SimWeb::absoluteUrl(const SimRequest& request)
{
    if (lowerAscii(request.target.substr(0, 7)) == "http://") {
        return request.target;
    }
    return "http://" + request.hostHeader + request.target;
}

SimResponse SimWeb::handle(const SimRequest& request) const
{
    const SplitUrl url = splitTarget(request.target, request.hostHeader);
    const Day day = world_.day();
    if (url.host == kSearchHost) {
        if (world_.countEngineRequest(Engine::Tables)) {
            return verification(request, Engine::Tables);
        }
        if (url.path != "/s") {
            return html(notFoundPage(absoluteUrl(request)), 404);
        }
        return search(parseQuery(url.query), day);
    }
    if (url.host == kListEngineHost) {
        if (world_.countEngineRequest(Engine::List)) {
            return verification(request, Engine::List);
        }
        if (url.path != "/search") {
            return html(notFoundPage(absoluteUrl(request)), 404);
        }
        return listSearch(parseQuery(url.query), day);
    }
    if (url.host == kIndexHost) {
        return index(request, url, day);
    }
    if (url.host == kVerifyHost) {
        return html(verificationPage());
    }
    if (url.host == kListVerifyHost) {
        return html(listVerificationPage());
    }
    if (url.host.empty()) {
        return html(notFoundPage(absoluteUrl(request)), 400);
    }
    if (url.path != "/" && url.path != "/index.html" && url.path != "/index.htm") {
        return html(notFoundPage(absoluteUrl(request)), 404);
    }
    world_.learnSite(url.host);
    const ServedPage page = homePageFor(url.host, world_.homePage(url.host));
    return {200, page.contentType, page.body, {}, false};
}

SimResponse SimWeb::search(const std::map<std::string, std::string>& query, Day day) const
{
    auto value = [&query](const char* key) {
        const auto it = query.find(key);
        return it == query.end() ? std::string() : it->second;
    };
    const std::string wd = trimmed(value("wd"));
    if (wd.empty()) {
        return html(
            "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\" /><title>百度一下，你就知道</title></head>\n"
            "<body><form action=\"/s\"><input name=\"wd\" /></form></body>\n</html>\n");
    }
    const std::string lowered = lowerAscii(wd);
    if (lowered.starts_with("site:")) {
        const std::string site = lowerAscii(trimmed(wd.substr(5)));
        world_.learnSite(site);
        const std::string lm = value("lm");
        const char* figureName = lm == "1" ? "today" : lm == "7" ? "week" : lm == "30" ? "month" : "indexed";
        if (auto unusual = unusualAnswer(world_.overviewAnswer(site, figureName), wd)) {
            return *unusual;
        }
        const OverviewTexts figures = world_.overview(site, day);
        const std::string& figure = lm == "1" ? figures.today
            : lm == "7"                       ? figures.week
            : lm == "30"                      ? figures.month
                                              : figures.indexed;
        return html(sitePage(site, figure, wd, day));
    }
    if (lowered.starts_with("domain:")) {
        const std::string site = lowerAscii(trimmed(wd.substr(7)));
        world_.learnSite(site);
        if (auto unusual = unusualAnswer(world_.overviewAnswer(site, "backlinks"), wd)) {
            return *unusual;
        }
        return html(domainPage(site, world_.overview(site, day).backlinks, day));
    }
    if (lowered.starts_with("http://")) {
        std::string site = lowerAscii(wd.substr(7));
        while (site.ends_with('/')) {
            site.pop_back();
        }
        world_.learnSite(site);
        if (auto unusual = unusualAnswer(world_.overviewAnswer(site, "snapshot"), wd)) {
            return *unusual;
        }
        return html(snapshotPage(site, world_.overview(site, day).snapshot, day));
    }
    const int offset = toInt(value("pn"), 0);
    const int count = toInt(value("rn"), 10);
    // Result pages are counted as the program asks for them: rn results each.
    const int page = std::max(0, offset) / std::clamp(count, 1, 100) + 1;
    if (auto unusual = unusualAnswer(world_.rankAnswer(wd, page), wd)) {
        return *unusual;
    }
    return html(rankPage(world_, wd, offset, count, day));
}

SimResponse SimWeb::listSearch(const std::map<std::string, std::string>& query, Day day) const
{
    auto value = [&query](const char* key) {
        const auto it = query.find(key);
        return it == query.end() ? std::string() : it->second;
    };
    const std::string keyword = trimmed(value("q"));
    if (keyword.empty()) {
        return html(listSearchForm());
    }
    const int first = std::max(1, toInt(value("first"), 1));
    const int count = std::clamp(toInt(value("count"), 10), 1, 100);
    if (auto unusual = unusualAnswer(world_.rankAnswer(keyword, (first - 1) / count + 1), keyword, Engine::List)) {
        return *unusual;
    }
    return html(listRankPage(world_, keyword, first, count, day));
}

SimResponse SimWeb::verification(const SimRequest& request, Engine engine) const
{
    const bool list = engine == Engine::List;
    const Verification& check = *world_.verification();
    if (!check.redirect) {
        return html(list ? listVerificationPage() : verificationPage());
    }
    SimResponse moved = html(movedPage(), 302);
    const std::string asked = absoluteUrl(request);
    moved.headers.emplace_back("Location", list ? listVerificationAddress(asked) : verificationAddress(asked));
    return moved;
}

SimResponse SimWeb::index(const SimRequest& request, const SplitUrl& url, Day day) const
{
    if (url.path == "/baidu/words.aspx") {
        const bool post = lowerAscii(request.method) == "post";
        const auto form = parseQuery(post ? std::string_view(request.body) : std::string_view(url.query));
        const auto kw = form.find("kw");
        if (kw == form.end() || trimmed(kw->second).empty()) {
            return html(
                "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\" /><title>关键词指数查询</title></head>\n"
                "<body><form method=\"post\" action=\"/baidu/words.aspx\"><input name=\"kw\" /></form></body>\n"
                "</html>\n");
        }
        return html(indexAnswerPage(world_, trimmed(kw->second), day));
    }
    std::string keyword;
    PictureFormat format {};
    Day pictureDay = 0;
    if (!parsePicturePath(url.path, keyword, format, pictureDay)) {
        return html(notFoundPage(absoluteUrl(request)), 404);
    }
    const IndexPicture picture = world_.indexPicture(keyword, pictureDay);
    if (picture.format != format) {
        return html(notFoundPage(absoluteUrl(request)), 404);
    }
    std::string bytes = pictureBytes(picture);
    if (bytes.empty()) {
        return html(notFoundPage(absoluteUrl(request)), 500);
    }
    return {200, std::string(formatContentType(format)), std::move(bytes), {}, false};
}

} // namespace zv::simweb
