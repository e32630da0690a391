#pragma once
// Texts the query tests build their pages and expectations from: code page
// 936 and Qt forms of UTF-8 literals, and a result page of the search engine
// as its markup is read.

#include "web/codepage.h"

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zv::test {

inline Text g(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

inline QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A UTF-8 result page holding one result block per (position, displayed
// address), in the given order.
inline std::string resultPage(const std::vector<std::pair<int, std::string>>& results)
{
    std::string page = "<html><body>\n";
    for (const auto& [position, address] : results) {
        page += "<table class=\"result\" id=\"" + std::to_string(position) + "\"><tr><td><h3>结果</h3>\n";
        page += "<span class=\"g\">" + address + " 2024-5-6 </span>\n</td></tr></table>\n";
    }
    return page + "</body></html>";
}

// The same results in the list-item markup of the second engine
// (tests/engines/example.json reads it).
inline std::string listResultPage(const std::vector<std::pair<int, std::string>>& results)
{
    std::string page = "<html><head><title>结果 - 搜索结果</title></head><body><ol>\n";
    for (const auto& [position, address] : results) {
        page += "<li class=\"result\" data-pos=\"" + std::to_string(position) + "\"><h3><a href=\"http://" + address
            + "\">结果</a></h3><div class=\"url\">" + address + "</div><p>摘要</p></li>\n";
    }
    return page + "</ol></body></html>";
}

} // namespace zv::test
