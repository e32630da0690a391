#include "tools/simweb/list_pages.h"

#include <algorithm>

#include "tools/simweb/pages.h"
#include "tools/simweb/sim_web.h"

namespace zv::simweb {

namespace {

std::string head(const std::string& title)
{
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + htmlEscape(title)
        + "</title>\n</head>\n<body>\n";
}

std::string searchBox(const std::string& keyword)
{
    return "<form class=\"search\" action=\"/search\"><input name=\"q\" value=\"" + htmlEscape(keyword)
        + "\"><button type=\"submit\">搜索</button></form>\n";
}

std::string resultsHead(const std::string& keyword)
{
    return head(keyword + " - 搜索结果") + searchBox(keyword);
}

std::string emptyNotice(const std::string& keyword)
{
    return "<div class=\"empty\">未找到与“" + htmlEscape(keyword) + "”相关的结果</div>\n";
}

const char* const kTail = "</body>\n</html>\n";

} // namespace

std::string listRankPage(const World& world, const std::string& keyword, int first, int count, Day day)
{
    first = std::max(1, first);
    count = std::clamp(count, 1, 100);
    const int last = std::min(World::totalResults, first + count - 1);
    std::string out = resultsHead(keyword);
    if (first > last) {
        return out + emptyNotice(keyword) + kTail;
    }
    out += "<div class=\"count\">约" + groupedNumber(World::totalResults * 1250LL)
        + "条结果</div>\n<ol class=\"results\">\n";
    for (const ResultItem& item : resultItems(world, keyword, first, last, day)) {
        out += "<li class=\"result\" data-pos=\"" + std::to_string(item.position) + "\"><h3><a href=\"http://"
            + item.host + item.path + "\">" + item.title + "</a></h3>";
        // A double entry shows both of its pages' addresses in one item.
        for (const ResultLine& line : item.lines) {
            out += "<div class=\"url\">" + line.address + "</div>";
        }
        out += "<p>" + item.snippet + "</p></li>\n";
    }
    out += "</ol>\n<div class=\"pages\">";
    const std::string q = percentEncode(keyword);
    for (int page = 0; page < (World::totalResults + count - 1) / count && page < 8; ++page) {
        out += "<a href=\"/search?q=" + q + "&amp;first=" + std::to_string(1 + page * count)
            + "&amp;count=" + std::to_string(count) + "\">" + std::to_string(page + 1) + "</a> ";
    }
    out += "</div>\n";
    return out + kTail;
}

std::string listSearchForm()
{
    return head("搜索") + searchBox({}) + kTail;
}

std::string listNoResultsPage(const std::string& keyword)
{
    return resultsHead(keyword) + emptyNotice(keyword)
        + "<ul class=\"tips\">\n<li>请检查输入的字词是否有误</li>\n<li>请换用其他字词或更常见的字词</li>\n"
          "<li>请减少字词的数量</li>\n</ul>\n"
        + kTail;
}

std::string listBrokenPage(const std::string& keyword)
{
    // The page ends after the search box, as one cut off by a front server does.
    return resultsHead(keyword) + "<ol class=\"results\">\n";
}

std::string listVerificationPage()
{
    return head("人机验证")
        + "<div class=\"check\">\n<h1>请确认您不是机器人</h1>\n"
          "<p>我们发现来自您网络的请求异常频繁。请输入图中的字符后继续访问。</p>\n"
          "<form action=\"/check\" method=\"post\">\n<img src=\"/check/image.png\" alt=\"\">\n"
          "<input name=\"code\"><button type=\"submit\">继续</button>\n</form>\n</div>\n"
        + kTail;
}

std::string listVerificationAddress(const std::string& askedUrl)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 24; ++i) {
        token += digits[hashOf({askedUrl, "check"}, i) % 16];
    }
    return "http://" + std::string(kListVerifyHost) + "/check?back=" + percentEncode(askedUrl) + "&token=" + token;
}

} // namespace zv::simweb
