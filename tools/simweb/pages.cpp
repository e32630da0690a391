#include "tools/simweb/pages.h"

#include <algorithm>
#include <array>

#include "tools/simweb/sim_web.h"

namespace zv::simweb {

namespace {

constexpr std::array<std::string_view, 20> kSyllables
    = {"bai", "xin",  "hua", "zhong", "tian", "long", "jia",  "mei", "sheng", "kang",
       "da",  "feng", "yun", "hai",   "jin",  "an",   "tong", "li",  "ming",  "qi"};
constexpr std::array<std::string_view, 4> kTopLevels = {".com", ".cn", ".net", ".com.cn"};
constexpr std::array<std::string_view, 6> kFolders = {"news", "article", "html", "info", "product", "blog"};

std::string upperAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

std::string pagePath(std::uint64_t h)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a
    // literal + string in a Release build.
    std::string path = "/";
    path += kFolders[h % kFolders.size()];
    path += '/';
    path += std::to_string(100 + (h >> 8) % 9000);
    path += ".html";
    return path;
}

std::string lineDate(std::uint64_t h, Day day)
{
    return dayText(day - static_cast<Day>(h % 40));
}

std::uint64_t lineHash(const std::string& site, const RankEntry& entry, bool secondLine)
{
    return hashOf({site, "line"}, entry.position * 2 + (secondLine ? 1 : 0));
}

// The page a site's entry line shows; a double entry's second line shows the
// other kind of page.
std::string entryPath(const std::string& site, const RankEntry& entry, bool secondLine)
{
    const bool home = secondLine ? !entry.home : entry.home;
    return home ? "/" : pagePath(lineHash(site, entry, secondLine) >> 12);
}

std::string head(const std::string& title)
{
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" "
           "/>\n<title>"
        + htmlEscape(title) + "_百度搜索</title>\n</head>\n<body>\n<div id=\"wrapper\">\n";
}

const char* const kTail = "</div>\n</body>\n</html>\n";

// A domain no site of the world hides in, so that a filler line never
// counts for a site.
std::string fillerDomain(const std::vector<std::string>& sites, std::string_view seed, int position)
{
    std::string domain;
    for (int salt = 0; salt < 16; ++salt) {
        const std::uint64_t h = hashOf({seed, "filler"}, position * 31 + salt);
        domain = "www." + std::string(kSyllables[h % kSyllables.size()])
            + std::string(kSyllables[(h >> 8) % kSyllables.size()])
            + std::string(kSyllables[(h >> 16) % kSyllables.size()])
            + std::string(kTopLevels[(h >> 24) % kTopLevels.size()]);
        const bool clashes = std::any_of(sites.begin(), sites.end(), [&](const std::string& site) {
            return domain.find(site) != std::string::npos;
        });
        if (!clashes) {
            break;
        }
    }
    return domain;
}

std::string resultBlock(int position, const std::string& url, const std::string& title, const std::string& snippet,
                        const std::vector<std::string>& lines)
{
    std::string out = "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" + std::to_string(position)
        + "\"><tr><td class=\"f\">\n<h3 class=\"t\"><a href=\"" + url + "\" target=\"_blank\">" + title
        + "</a></h3>\n<font size=\"-1\">" + snippet + "<br />";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out += "\n<div class=\"sitelink\">";
        }
        out += "<span class=\"g\">" + lines[i] + "</span>";
        if (i == 0) {
            out += " - <a href=\"http://cache.baidu.com/c?id=" + std::to_string(position)
                + "\" target=\"_blank\" class=\"m\">百度快照</a>";
        } else {
            out += "</div>";
        }
    }
    out += "<br /></font>\n</td></tr></table><br />\n";
    return out;
}

} // namespace

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string percentEncode(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string entryAddress(const std::string& site, const RankEntry& entry, bool secondLine)
{
    const std::string path = entryPath(site, entry, secondLine);
    EntryKind kind = entry.kind;
    if (kind == EntryKind::Capitals && upperAscii(site) == site) {
        kind = EntryKind::Markup; // no letters to capitalise
    }
    switch (kind) {
    case EntryKind::Page:
    case EntryKind::Double:
        return site + path;
    case EntryKind::Capitals:
        return upperAscii(site) + path;
    case EntryKind::Markup: {
        std::size_t cut = site.find('.') + 1;
        if (cut == 0 || cut >= site.size()) {
            cut = std::max<std::size_t>(1, site.size() / 2);
        }
        return site.substr(0, cut) + "<b>" + site.substr(cut) + "</b>" + path;
    }
    case EntryKind::CutShort:
        return site.substr(0, site.size() > 3 ? site.size() - 3 : 1) + "...";
    }
    return site + path;
}

std::string entryLine(const std::string& site, const RankEntry& entry, Day day, bool secondLine)
{
    return entryAddress(site, entry, secondLine) + " " + lineDate(lineHash(site, entry, secondLine), day) + " ";
}

std::vector<ResultItem> resultItems(const World& world, const std::string& keyword, int first, int last, Day day)
{
    const std::map<int, Placement> placed = world.placements(keyword, day);
    const std::vector<std::string> sites = world.sites();
    const std::string kw = htmlEscape(keyword);
    std::vector<ResultItem> items;
    for (int position = first; position <= last; ++position) {
        ResultItem item;
        item.position = position;
        const auto it = placed.find(position);
        if (it != placed.end()) {
            const Placement& p = it->second;
            item.host = p.site;
            item.path = entryPath(p.site, p.entry, false);
            item.title = kw + "_" + htmlEscape(p.site);
            item.snippet = "关于" + kw + "的最新资讯，尽在" + htmlEscape(p.site) + "。";
            for (const bool second : {false, true}) {
                if (second && p.entry.kind != EntryKind::Double) {
                    break;
                }
                item.lines.push_back(
                    {entryAddress(p.site, p.entry, second), lineDate(lineHash(p.site, p.entry, second), day)});
            }
        } else {
            item.host = fillerDomain(sites, keyword, position);
            item.filler = true;
            const std::uint64_t h = hashOf({keyword, item.host}, position);
            item.path = pagePath(h);
            item.title = kw + "相关信息 - " + item.host;
            item.snippet = "本站提供" + kw + "的详细介绍与相关资料。";
            item.lines.push_back({item.host + item.path, lineDate(h >> 20, day)});
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string rankPage(const World& world, const std::string& keyword, int offset, int count, Day day)
{
    const std::string kw = htmlEscape(keyword);
    std::string out = head(keyword);
    const int first = std::max(0, offset) + 1;
    const int last = std::min(World::totalResults, std::max(0, offset) + std::clamp(count, 1, 100));
    if (first > last) {
        out += "<div class=\"nors\"><p>抱歉，没有找到与“" + kw + "”相关的网页。</p></div>\n";
        return out + kTail;
    }
    out += "<div class=\"nums\">百度为您找到相关结果约" + groupedNumber(World::totalResults * 1250LL) + "个</div>\n";
    for (const ResultItem& item : resultItems(world, keyword, first, last, day)) {
        std::vector<std::string> lines;
        for (const ResultLine& line : item.lines) {
            lines.push_back(line.address + " " + line.date + " ");
        }
        // A site's result links its home page whichever page the line shows.
        const std::string url = "http://" + item.host + (item.filler ? item.path : "/");
        out += resultBlock(item.position, url, item.title, item.snippet, lines);
    }
    out += "<p id=\"page\">";
    for (int page = 0; page < 8; ++page) {
        out += "<a href=\"/s?wd=" + kw + "&amp;pn=" + std::to_string(page * 100) + "&amp;rn=100\">"
            + std::to_string(page + 1) + "</a> ";
    }
    out += "</p>\n";
    return out + kTail;
}

std::string sitePage(const std::string& site, const std::string& figure, const std::string& query, Day day)
{
    std::string out = head(query);
    out += "<div class=\"nums\">找到相关结果数" + figure + "个</div>\n";
    for (int position = 1; position <= 5; ++position) {
        const RankEntry entry {position, position == 1, EntryKind::Page};
        out += resultBlock(position, "http://" + site + "/", htmlEscape(site) + " 的网页 " + std::to_string(position),
                           "来自" + htmlEscape(site) + "的网页。", {entryLine(site, entry, day)});
    }
    return out + kTail;
}

std::string domainPage(const std::string& site, const std::string& figure, Day day)
{
    std::string out = head("domain:" + site);
    out += "<div id=\"tool\"><span class=\"nums\" style=\"margin-left:120px\">百度为您找到相关结果" + figure
        + "个</span></div>\n";
    for (int position = 1; position <= 5; ++position) {
        const std::string domain = fillerDomain({site}, site, position);
        const std::uint64_t h = hashOf({site, domain}, position);
        out += resultBlock(position, "http://" + domain + pagePath(h), "友情链接 - " + domain,
                           "推荐网站：" + htmlEscape(site) + "。",
                           {domain + pagePath(h) + " " + lineDate(h, day) + " "});
    }
    return out + kTail;
}

std::string snapshotPage(const std::string& site, const std::optional<std::string>& snapshot, Day day)
{
    std::string out = head("http://" + site);
    int position = 1;
    if (snapshot) {
        out += resultBlock(position++, "http://" + site + "/", htmlEscape(site) + " 首页", "网站首页。",
                           {"<b>" + site + "</b>/" + *snapshot});
    } else {
        out += "<div class=\"nors\"><p>没有找到该URL。您可以直接访问 " + htmlEscape(site) + "</p></div>\n";
    }
    for (; position <= 3; ++position) {
        const std::string domain = fillerDomain({site}, "snapshot:" + site, position);
        const std::uint64_t h = hashOf({site, domain}, position);
        out += resultBlock(position, "http://" + domain + "/", domain, "相关网站。",
                           {"<b>" + domain + "</b>/ " + lineDate(h, day) + " "});
    }
    return out + kTail;
}

std::string notFoundPage(const std::string& url)
{
    return "<!DOCTYPE html>\n<html>\n<head><title>404 Not Found</title></head>\n<body>\n<h1>Not Found</h1>\n<p>"
        + htmlEscape(url) + "</p>\n</body>\n</html>\n";
}

std::string errorPage(int status)
{
    const char* reason = status == 500 ? "Internal Server Error"
        : status == 502                ? "Bad Gateway"
        : status == 503                ? "Service Unavailable"
        : status == 504                ? "Gateway Timeout"
        : status == 403                ? "Forbidden"
        : status == 404                ? "Not Found"
                                       : "Error";
    const std::string title = std::to_string(status) + " " + reason;
    return "<!DOCTYPE html>\n<html>\n<head><title>" + title + "</title></head>\n<body>\n<center><h1>" + title
        + "</h1></center>\n<hr><center>BWS</center>\n</body>\n</html>\n";
}

std::string noResultsPage(const std::string& keyword)
{
    const std::string kw = htmlEscape(keyword);
    std::string out = head(keyword);
    out += "<div id=\"content_left\">\n<div class=\"content_none\"><div class=\"nors\">"
           "<p>很抱歉，没有找到与<span style=\"font-family:宋体\">“</span><em>"
        + kw
        + "</em><span style=\"font-family:宋体\">”</span>相关的网页。</p>\n"
          "<div class=\"tip_head\">温馨提示：</div>\n<ul>\n<li>请检查您的输入是否正确</li>\n"
          "<li>如网页未收录或者新站未收录，请<a href=\"http://zhanzhang.baidu.com/sitesubmit/index\">提交网址</a>"
          "给我们</li>\n<li>如有任何意见或建议，请及时<a href=\"http://e.baidu.com/\">反馈给我们</a></li>\n</ul>\n"
          "</div></div>\n</div>\n";
    return out + kTail;
}

std::string brokenResultPage(const std::string& keyword)
{
    std::string out = head(keyword);
    out += "<div id=\"head\"><form name=\"f\" action=\"/s\"><input name=\"wd\" value=\"" + htmlEscape(keyword)
        + "\" /><input type=\"submit\" value=\"百度一下\" /></form></div>\n<div id=\"content_left\">\n";
    // The page ends here, as one cut off by a front server does.
    return out;
}

std::string verificationPage()
{
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>百度安全验证</title>\n</head>\n"
           "<body>\n<div class=\"timeout\">\n<div class=\"timeout-img\"></div>\n"
           "<div class=\"timeout-title\">网络不给力，请稍后重试</div>\n</div>\n"
           "<div class=\"passMod_dialog\">\n<div class=\"passMod_dialog-header\">百度安全验证</div>\n"
           "<p>请完成下方验证后继续操作</p>\n<form action=\"/static/captcha/verify\" method=\"post\">\n"
           "<img src=\"/static/captcha/image.jpg\" alt=\"\" />\n<label>请输入验证码：<input name=\"vcode\" /></label>\n"
           "<input type=\"submit\" value=\"确定\" />\n</form>\n</div>\n</body>\n</html>\n";
}

std::string verificationAddress(const std::string& askedUrl)
{
    const std::uint64_t h = hashOf({askedUrl, "verify"});
    static constexpr char digits[] = "0123456789abcdef";
    std::string signature;
    for (int i = 0; i < 32; ++i) {
        signature += digits[hashOf({askedUrl, "signature"}, i) % 16];
    }
    return "http://" + std::string(kVerifyHost) + "/static/captcha/tuxing.html?&ak=c27bbc89afca0463650ac9bde68ebe06"
        + "&backurl=" + percentEncode(askedUrl) + "&logid=" + std::to_string(h >> 16) + "&signature=" + signature;
}

std::string movedPage()
{
    return "<html>\n<head><title>302 Found</title></head>\n<body>\n<center><h1>302 Found</h1></center>\n"
           "<hr><center>BWS</center>\n</body>\n</html>\n";
}

} // namespace zv::simweb
