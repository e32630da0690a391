#include "tools/simweb/home_pages.h"

#include "tools/simweb/pages.h"

#include <cerrno>
#include <iconv.h>

namespace zv::simweb {

std::string utf8ToGb(const std::string& utf8)
{
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return utf8;
    }
    std::string out;
    std::string in = utf8;
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // Skip one undecodable or unmappable UTF-8 character.
            out += '?';
            std::size_t skip = 1;
            while (skip < inLeft && (static_cast<unsigned char>(inPtr[skip]) & 0xC0) == 0x80) {
                ++skip;
            }
            inPtr += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

ServedPage homePageFor(const std::string& host, const HomePage& page)
{
    ServedPage served;
    const bool gbk = page.charset == Charset::Gbk;
    served.contentType = page.charset == Charset::Utf8Header ? "text/html; charset=utf-8" : "text/html";
    if (page.html) {
        served.body = gbk ? utf8ToGb(*page.html) : *page.html;
        return served;
    }
    std::string joined;
    for (std::size_t i = 0; i < page.keywords.size(); ++i) {
        joined += (i > 0 ? page.separator : std::string()) + page.keywords[i];
    }
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n";
    switch (page.charset) {
    case Charset::Utf8Meta:
        html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n";
        break;
    case Charset::Utf8MetaCapitals:
        html += "<meta charset=\"UTF-8\">\n";
        break;
    case Charset::Utf8Header:
        break;
    case Charset::Gbk:
        html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\n";
        break;
    }
    html += "<title>" + htmlEscape(host) + " - 首页</title>\n";
    const std::string close = page.slashClose ? " />" : ">";
    if (page.contentFirst) {
        html += "<meta content=\"" + joined + "\" name=\"keywords\"" + close + "\n";
    } else {
        html += "<meta name=\"keywords\" content=\"" + joined + "\"" + close + "\n";
    }
    html += "<meta name=\"description\" content=\"欢迎访问" + htmlEscape(host) + "\"" + close + "\n";
    html += "</head>\n<body>\n<h1>" + htmlEscape(host) + "</h1>\n<p>";
    for (const std::string& keyword : page.keywords) {
        html += "<a href=\"/tag/" + std::to_string(hashOf({keyword}) % 1000) + ".html\">" + htmlEscape(keyword)
            + "</a> ";
    }
    html += "</p>\n</body>\n</html>\n";
    served.body = gbk ? utf8ToGb(html) : html;
    return served;
}

} // namespace zv::simweb
