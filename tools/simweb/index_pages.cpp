#include "tools/simweb/index_pages.h"

#include "tools/simweb/pages.h"

#include <algorithm>

namespace zv::simweb {

std::string picturePath(const std::string& keyword, PictureFormat format, Day day)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string path = "/baidu/pic/";
    for (unsigned char c : keyword) {
        path += hex[c >> 4];
        path += hex[c & 15];
    }
    return path + "-" + std::to_string(day) + "." + std::string(formatExtension(format));
}

bool parsePicturePath(const std::string& path, std::string& keyword, PictureFormat& format, Day& day)
{
    static const std::string prefix = "/baidu/pic/";
    if (!path.starts_with(prefix)) {
        return false;
    }
    const auto dash = path.find('-', prefix.size());
    const auto dot = path.find('.', prefix.size());
    if (dash == std::string::npos || dot == std::string::npos || dot < dash) {
        return false;
    }
    const std::string hexText = path.substr(prefix.size(), dash - prefix.size());
    if (hexText.size() % 2 != 0) {
        return false;
    }
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string decoded;
    for (std::size_t i = 0; i < hexText.size(); i += 2) {
        const int hi = nibble(hexText[i]);
        const int lo = nibble(hexText[i + 1]);
        if (hi < 0 || lo < 0) {
            return false;
        }
        decoded += static_cast<char>(hi * 16 + lo);
    }
    const std::string dayText = path.substr(dash + 1, dot - dash - 1);
    if (dayText.empty() || dayText.size() > 9
        || !std::all_of(dayText.begin(), dayText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const auto parsedFormat = formatFromExtension(std::string_view(path).substr(dot + 1));
    if (!parsedFormat) {
        return false;
    }
    keyword = decoded;
    format = *parsedFormat;
    day = std::stoi(dayText);
    return true;
}

std::string indexAnswerPage(const World& world, const std::string& keyword, Day day)
{
    const IndexAnswer answer = world.indexAnswer(keyword);
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>关键词指数查询 - "
        + htmlEscape(keyword) + "</title>\n</head>\n<body>\n";
    if (answer.throttled) {
        out += "<div class=\"warn\">您的查询过于频繁，请稍后再试。</div>\n</body>\n</html>\n";
        return out;
    }
    out += "<table class=\"list\" cellspacing=\"0\">\n<tr class=\"head\"><th>关键词</th><th>百度指数</th></tr>\n";
    int n = 1;
    for (const IndexRow& row : answer.rows) {
        const IndexPicture picture = world.indexPicture(row.keyword, day);
        out += "<tr class=\"item\" id=\"index" + std::to_string(n++) + "\">\n<td><span  ><em>" + htmlEscape(row.cell)
            + "</em></span></td>\n<td><img src=\"" + picturePath(row.keyword, picture.format, day)
            + "\" /></td>\n</tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

} // namespace zv::simweb
