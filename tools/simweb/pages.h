#pragma once
// The search engine's pages in the simulated web, as UTF-8 HTML, and what
// every simulated page uses (escaping, the not-found page). Their mark-up is
// what the program's fixed patterns read: result blocks are one
// <table ... id="position"> each, with the displayed address in
// <span class="g">; counts stand in "找到相关结果数…个" and "百度为您找到相关结果…个".
// The index service's pages are in index_pages.h, the home pages in
// home_pages.h.

#include <string>
#include <vector>

#include "tools/simweb/world.h"

namespace zv::simweb {

std::string htmlEscape(std::string_view text);
// Every byte but letters, digits and "-._~" as %XX.
std::string percentEncode(std::string_view text);

// The displayed-address line of one result, as both engines' pages show it:
// the address ("www.site.cn/" for a home page, "www.site.cn/news/123.html"
// for another page, or a near miss of it) and the date beside it.
struct ResultLine
{
    std::string address; // HTML
    std::string date;
};

// One result of a keyword's list, whichever engine's mark-up shows it.
struct ResultItem
{
    int position = 0;
    std::string host; // the site's, or a filler domain that holds no site
    bool filler = false;
    std::string path; // of the page the first line shows: "/" or "/folder/n.html"
    std::string title; // HTML
    std::string snippet; // HTML
    std::vector<ResultLine> lines; // two for a double entry
};

// Results first .. last (1-based, inclusive) of the list the engines give for
// keyword on day: the world's site entries at their positions, fillers in
// between.
std::vector<ResultItem> resultItems(const World& world, const std::string& keyword, int first, int last, Day day);

// Result page of a keyword search: positions offset + 1 .. offset + count.
std::string rankPage(const World& world, const std::string& keyword, int offset, int count, Day day);

// The displayed-address line of a site's entry (the text inside <span class="g">).
std::string entryLine(const std::string& site, const RankEntry& entry, Day day, bool secondLine = false);
// The address part of that line, without the date.
std::string entryAddress(const std::string& site, const RankEntry& entry, bool secondLine = false);

// site: searches; figure is the text between "找到相关结果数" and "个".
std::string sitePage(const std::string& site, const std::string& figure, const std::string& query, Day day);
// domain: search; figure between "百度为您找到相关结果" and "个".
std::string domainPage(const std::string& site, const std::string& figure, Day day);
// http:// search: the site's result line carries "<b>site</b>/" and the snapshot text.
std::string snapshotPage(const std::string& site, const std::optional<std::string>& snapshot, Day day);

std::string notFoundPage(const std::string& url);

// The engine's answers when it does not give a result page.
// An error page for an HTTP status (500, 503 ...).
std::string errorPage(int status);
// The "no results" notice: "很抱歉，没有找到与“keyword”相关的网页。"
std::string noResultsPage(const std::string& keyword);
// A result page that lost its results: head and search box, no result block,
// no notice.
std::string brokenResultPage(const std::string& keyword);
// The security check, titled "百度安全验证", asking for a 验证码.
std::string verificationPage();
// Where the engine redirects a client it checks: a page on kVerifyHost that
// names the address asked for.
std::string verificationAddress(const std::string& askedUrl);
// The body of a redirection.
std::string movedPage();

} // namespace zv::simweb
