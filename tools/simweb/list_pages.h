#pragma once
// The pages of the second search engine, search.example.com, as UTF-8 HTML.
// It gives the same result list as www.baidu.com in other mark-up: one
// <li class="result" data-pos="position"> per result, with the displayed
// address in <div class="url">, no <table> anywhere; the "no results" notice
// is <div class="empty">未找到与“keyword”相关的结果</div>, and its check page is
// titled "人机验证".

#include <string>

#include "tools/simweb/world.h"

namespace zv::simweb {

// Result page of a keyword search: positions first .. first + count - 1
// (count 1 .. 100). Past the last result it carries the "no results" notice.
std::string listRankPage(const World& world, const std::string& keyword, int first, int count, Day day);

// The search box alone, for a search without a keyword.
std::string listSearchForm();
// A search that matched nothing: the notice and a few tips, no result item.
std::string listNoResultsPage(const std::string& keyword);
// A result page cut off after its search box: no result item, no notice.
std::string listBrokenPage(const std::string& keyword);
// The check page, on the engine itself or on its check host.
std::string listVerificationPage();
// Where the engine redirects a client it checks: /check on kListVerifyHost,
// naming the address asked for.
std::string listVerificationAddress(const std::string& askedUrl);

} // namespace zv::simweb
