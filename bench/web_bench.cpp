// Pattern matching, page conversion and keyword encoding as the rank search
// and the site overview use them, over a synthetic page of 100 results;
// std::regex and iconv run the same work as baselines.

#include "readers/overview_page.h"
#include "text/text.h"
#include "text/unicode.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>

namespace {

const char* const tablePattern = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
const char* const entryPattern = "<span class=.g.>.*?</span>";
const char* const siteAddress = "www.example.com";

// A UTF-8 result page of about 300 KB: 100 result blocks of a few kilobytes of
// Chinese and ASCII text, with the site among them at positions 3 and 17.
const std::string& resultPageUtf8()
{
    static const std::string page = [] {
        std::string p
            = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>百度搜索_测试关键词</title></head>\n"
              "<body><div id=\"content_left\">\n";
        for (int i = 1; i <= 100; ++i) {
            const std::string n = std::to_string(i);
            p += "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" + n + "\"><tr><td class=f>\n";
            p += "<h3 class=\"t\"><a onmousedown=\"return c({'fm':'as','F':'77B717EA','T':'1339999999','y':'FF7D"
                 "F7FE'})\" href=\"http://www.baidu.com/link?url=abcdefghijklmnopqrstuvwxyz"
                + n + "\" target=\"_blank\">测试<em>关键词</em>的第" + n + "个结果标题_网站名称</a></h3>\n";
            p += "<font size=-1>";
            for (int line = 0; line < 15; ++line)
                p += "这是结果摘要的一行文字，包含<em>关键词</em>和一些说明 some ascii words for the snippet "
                     "2012年5月1日 ... 更多内容请访问本站<br>\n";
            const std::string host = (i == 3 || i == 17) ? std::string(siteAddress) : "www.site" + n + ".com";
            const std::string path = i == 3 ? "/" : "/news/" + n + ".html";
            p += "<span class=\"g\">" + host + path
                + " 2012-5-1 </span> - <a href=\"http://cache.baiducontent.com/c?"
                  "m=abcdef"
                + n + "\" target=\"_blank\" class=\"m\">百度快照</a><br></font></td></tr></table><br>\n";
        }
        p += "</div></body></html>\n";
        return p;
    }();
    return page;
}

const zv::Text& resultPageText()
{
    static const zv::Text page = zv::utf8ToGbk(resultPageUtf8());
    return page;
}

void BM_RankPatterns_PatternMatcher(benchmark::State& state)
{
    const zv::Text& page = resultPageText();
    for (auto _ : state) {
        zv::PatternMatcher tables;
        zv::PatternMatcher entries;
        zv::Text rank;
        tables.execute(tablePattern, page);
        for (int n = 1; n <= tables.matchCount(); ++n) {
            entries.execute(entryPattern, tables.matchText(n));
            for (int e = 1; e <= entries.matchCount(); ++e) {
                const zv::Text entry = entries.matchText(e);
                if (zv::containsText(entry, siteAddress)) {
                    rank += tables.subMatchText(n, 1) + (zv::containsText(entry, "www.example.com/ ") ? ". " : " ");
                    break;
                }
            }
        }
        if (rank != "3. 17 ")
            state.SkipWithError("unexpected rank text");
        benchmark::DoNotOptimize(rank);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_RankPatterns_PatternMatcher)->Unit(benchmark::kMillisecond);

// The rank text of a page form: the table pattern over the page, the entry
// pattern over each block in place.
zv::Text rankOfPage(const zv::PageForm& page, zv::PageMatcher& tables, zv::PageMatcher& entries)
{
    zv::Text rank;
    tables.execute(tablePattern, page);
    for (int n = 1; n <= tables.matchCount(); ++n) {
        entries.execute(entryPattern, page, tables.matchRange(n));
        for (int e = 1; e <= entries.matchCount(); ++e) {
            const zv::Text entry = entries.matchText(e);
            if (zv::containsText(entry, siteAddress)) {
                rank += tables.subMatchText(n, 1) + (zv::containsText(entry, "www.example.com/ ") ? ". " : " ");
                break;
            }
        }
    }
    return rank;
}

// The same work on a page form made beforehand.
void BM_RankPatterns_PageMatcher(benchmark::State& state)
{
    const zv::PageForm page(resultPageUtf8());
    for (auto _ : state) {
        zv::PageMatcher tables;
        zv::PageMatcher entries;
        const zv::Text rank = rankOfPage(page, tables, entries);
        if (rank != "3. 17 ")
            state.SkipWithError("unexpected rank text");
        benchmark::DoNotOptimize(rank);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8().size()));
}
BENCHMARK(BM_RankPatterns_PageMatcher)->Unit(benchmark::kMillisecond);

// From the UTF-8 body: the page read into a form kept from page to page, as
// a search keeps it, then the same work.
void BM_RankPatterns_PageFormFromBody(benchmark::State& state)
{
    const std::string& body = resultPageUtf8();
    zv::PageForm page;
    for (auto _ : state) {
        page.read(body);
        zv::PageMatcher tables;
        zv::PageMatcher entries;
        const zv::Text rank = rankOfPage(page, tables, entries);
        if (rank != "3. 17 ")
            state.SkipWithError("unexpected rank text");
        benchmark::DoNotOptimize(rank);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_RankPatterns_PageFormFromBody)->Unit(benchmark::kMillisecond);

// The same work with std::regex over the UTF-8 page (its "." counts bytes, so
// it only stands in for the timing, not for the character semantics).
void BM_RankPatterns_StdRegex(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    const auto flags = std::regex::ECMAScript | std::regex::icase | std::regex::multiline;
    const std::regex table(tablePattern, flags);
    const std::regex entry(entryPattern, flags);
    for (auto _ : state) {
        std::string rank;
        for (std::sregex_iterator it(page.begin(), page.end(), table), end; it != end; ++it) {
            const std::string block = it->str();
            for (std::sregex_iterator e(block.begin(), block.end(), entry); e != end; ++e) {
                const std::string line = e->str();
                if (line.find(siteAddress) != std::string::npos) {
                    rank += (*it)[1].str() + (line.find("www.example.com/ ") != std::string::npos ? ". " : " ");
                    break;
                }
            }
        }
        if (rank != "3. 17 ")
            state.SkipWithError("unexpected rank text");
        benchmark::DoNotOptimize(rank);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_RankPatterns_StdRegex)->Unit(benchmark::kMillisecond);

// A hostile page: one 300 KB line of "<table id="1">" openers and no closing
// tag, over which a plain backtracking search of the table pattern takes cubic
// time (about a second for 1 KB without the JIT and without a limit).
void BM_RankPatterns_HostilePage(benchmark::State& state)
{
    std::string hostile;
    while (hostile.size() < 300'000)
        hostile += "<table id=\"1\">";
    hostile += "</tablx>";
    for (auto _ : state) {
        zv::PatternMatcher tables;
        tables.execute(tablePattern, hostile);
        benchmark::DoNotOptimize(tables.matchCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * hostile.size()));
}
BENCHMARK(BM_RankPatterns_HostilePage)->Unit(benchmark::kMillisecond);

// Exponential backtracking that no engine shortcut avoids: the work limit is
// what ends this search (2^40 steps otherwise).
void BM_WorkLimit_NestedQuantifier(benchmark::State& state)
{
    const std::string subject = std::string(40, 'a') + "c b";
    for (auto _ : state) {
        zv::PatternMatcher matcher;
        matcher.execute("(a+)+b", subject);
        if (matcher.matchCount() != 0)
            state.SkipWithError("unexpected match");
    }
}
BENCHMARK(BM_WorkLimit_NestedQuantifier)->Unit(benchmark::kMillisecond);

// The site overview's reading of a result page: the snapshot date (the page
// holds no snapshot line, so every one of its blocks is searched) and a count
// figure. Before: the page's code page text taken out of a new page form and
// searched per subject; after: one form kept from page to page, searched in
// place.
void BM_OverviewPage_PerSubject(benchmark::State& state)
{
    const std::string& body = resultPageUtf8();
    zv::PatternMatcher tables;
    zv::PatternMatcher entries;
    for (auto _ : state) {
        const zv::Text text = zv::PageForm(body).text();
        const auto snapshot = zv::snapshotText(text, siteAddress, tables, entries);
        const zv::Text count = zv::countText(zv::OverviewFigure::Indexed, text, tables);
        if (snapshot || !count.empty())
            state.SkipWithError("unexpected overview figures");
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_OverviewPage_PerSubject)->Unit(benchmark::kMillisecond);

void BM_OverviewPage_PageForm(benchmark::State& state)
{
    const std::string& body = resultPageUtf8();
    zv::PageForm page;
    zv::PageMatcher tables;
    zv::PageMatcher entries;
    for (auto _ : state) {
        page.read(body);
        const auto snapshot = zv::snapshotText(page, siteAddress, tables, entries);
        const zv::Text count = zv::countText(zv::OverviewFigure::Indexed, page, tables);
        if (snapshot || !count.empty())
            state.SkipWithError("unexpected overview figures");
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_OverviewPage_PageForm)->Unit(benchmark::kMillisecond);

void BM_Utf8ToGbk_Page(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    for (auto _ : state) {
        zv::Text text = zv::utf8ToGbk(page);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_Utf8ToGbk_Page)->Unit(benchmark::kMicrosecond);

// The conversion as it was: ICU's decoder, composition, ICU's encoder.
void BM_Utf8ToGbk_IcuPath(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    for (auto _ : state) {
        std::u16string utf16 = zv::utf8ToUtf16(page);
        utf16.resize(std::min(utf16.size(), utf16.find(u'\0')));
        zv::Text text = zv::utf16ToGbk(zv::composeCombiningMarks(utf16));
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToGbk_IcuPath)->Unit(benchmark::kMicrosecond);

// A new page form for each page.
void BM_PageForm_Page(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    for (auto _ : state) {
        zv::PageForm form(page);
        benchmark::DoNotOptimize(form);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PageForm_Page)->Unit(benchmark::kMicrosecond);

// One page form reading page after page.
void BM_PageForm_PageReused(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    zv::PageForm form;
    for (auto _ : state) {
        form.read(page);
        benchmark::DoNotOptimize(form);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PageForm_PageReused)->Unit(benchmark::kMicrosecond);

struct IconvClose
{
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// glibc's converter on the same page, without composition or replacement.
void BM_Utf8ToGbk_IconvBaseline(benchmark::State& state)
{
    const std::string& page = resultPageUtf8();
    std::unique_ptr<void, IconvClose> cd(iconv_open("GBK", "UTF-8"));
    if (cd.get() == reinterpret_cast<void*>(-1)) {
        cd.release();
        state.SkipWithError("iconv has no GBK");
        return;
    }
    std::string out(page.size() * 2, '\0');
    for (auto _ : state) {
        iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(page.data());
        std::size_t inLeft = page.size();
        char* target = out.data();
        std::size_t outLeft = out.size();
        iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &target, &outLeft);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToGbk_IconvBaseline)->Unit(benchmark::kMicrosecond);

void BM_UrlEncode_Keyword(benchmark::State& state)
{
    const zv::Text keyword = zv::utf8ToGbkString("北京SEO优化公司 排名");
    for (auto _ : state) {
        zv::Text encoded = zv::urlEncode(keyword, true, true);
        benchmark::DoNotOptimize(encoded);
    }
}
BENCHMARK(BM_UrlEncode_Keyword);

} // namespace
