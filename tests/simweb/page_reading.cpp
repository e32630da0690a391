#include "tests/simweb/page_reading.h"

#include <fstream>

#include "web/codepage.h"
#include "web/pattern_matcher.h"

namespace zv::test {

namespace {

// How an engine's result page shows a result: its block (group 1 the
// position), the displayed-address line within it, and what follows the site
// address on that line for the site's home page.
struct Markup
{
    const char* block;
    const char* line;
    const char* homePageTail;
};

constexpr Markup kTableMarkup {"<table.*?id=\"(.*?)\"[\\s\\S]*?</table>", "<span class=.g.>.*?</span>", "/ "};
constexpr Markup kListMarkup {"<li class=\"result\" data-pos=\"(\\d+)\">[\\s\\S]*?</li>",
                              "<div class=\"url\">.*?</div>", "/<"};

int blockCount(const Markup& markup, const ByteBlock& page)
{
    PatternMatcher blocks;
    blocks.execute(gbk(markup.block), utf8ToGbk(page));
    return blocks.matchCount();
}

Text ranksOf(const Markup& markup, const std::vector<ByteBlock>& pages, const Text& site)
{
    Text column;
    PatternMatcher blocks;
    PatternMatcher lines;
    for (const ByteBlock& body : pages) {
        blocks.execute(gbk(markup.block), utf8ToGbk(body));
        for (int n = 1; n <= blocks.matchCount(); ++n) {
            lines.execute(gbk(markup.line), blocks.matchText(n));
            for (int e = 1; e <= lines.matchCount(); ++e) {
                const Text line = lines.matchText(e);
                if (!containsText(line, site))
                    continue;
                column += blocks.subMatchText(n, 1) + (containsText(line, site + markup.homePageTail) ? ". " : " ");
                break;
            }
        }
    }
    return column;
}

} // namespace

Text gbk(const char* utf8)
{
    return utf8ToGbkString(utf8);
}

std::string rankAddress(const Text& keyword, int page)
{
    return "http://www.baidu.com/s?wd=" + urlEncode(keyword, true, true) + "&pn=" + std::to_string((page - 1) * 100)
        + "&rn=100&ie=utf-8";
}

std::string overviewAddress(const std::string& term)
{
    return "http://www.baidu.com/s?wd=" + term;
}

int resultBlockCount(const ByteBlock& page)
{
    return blockCount(kTableMarkup, page);
}

Text readRanks(const std::vector<ByteBlock>& pages, const Text& site)
{
    return ranksOf(kTableMarkup, pages, site);
}

std::string listRankAddress(const Text& keyword, int page)
{
    return "http://search.example.com/search?q=" + urlEncode(keyword, true, true)
        + "&first=" + std::to_string(1 + (page - 1) * 100) + "&count=100";
}

int listResultCount(const ByteBlock& page)
{
    return blockCount(kListMarkup, page);
}

Text readListRanks(const std::vector<ByteBlock>& pages, const Text& site)
{
    return ranksOf(kListMarkup, pages, site);
}

Text readIndexedCount(const ByteBlock& page)
{
    PatternMatcher m;
    m.execute(gbk("找到相关结果数(.*?)个"), utf8ToGbk(page));
    return m.subMatchText(1, 1);
}

Text readBacklinks(const ByteBlock& page)
{
    PatternMatcher m;
    m.execute(gbk("<span class=.nums.*?百度为您找到相关结果(.*?)个</span>"), utf8ToGbk(page));
    return replaceAll(m.subMatchText(1, 1), gbk("约"), "");
}

Text readSnapshot(const ByteBlock& page, const Text& site)
{
    PatternMatcher blocks;
    PatternMatcher entries;
    blocks.execute(gbk(kTableMarkup.block), utf8ToGbk(page));
    for (int n = 1; n <= blocks.matchCount(); ++n) {
        entries.execute(gbk("<span class=.g.>.*?</b>/(.*?)</span>"), blocks.matchText(n));
        for (int e = 1; e <= entries.matchCount(); ++e) {
            if (containsText(entries.matchText(e), site)) {
                return entries.subMatchText(e, 1);
            }
        }
    }
    return gbk("无");
}

int recordedFigure(const Text& shown)
{
    return leadingInteger(replaceAll(shown, ",", ""));
}

Text readIndexPictureAddress(const ByteBlock& page, const Text& keyword, const std::string& host)
{
    PatternMatcher rows;
    PatternMatcher cells;
    const Text text = utf8ToGbk(page);
    rows.execute(gbk("<tr .*?id=.index[\\s\\S]*?</tr>"), text);
    for (int n = 1; n <= rows.matchCount(); ++n) {
        const Text row = rows.matchText(n);
        cells.execute(gbk("<span  ><em>(.*?)</em></span>"), row);
        if (cells.subMatchText(1, 1) == keyword) {
            rows.execute(gbk("<img src=.(.*?). />"), row);
            return "http://" + host + rows.subMatchText(1, 1);
        }
    }
    return {};
}

bool saysTooFrequent(const ByteBlock& page)
{
    return containsText(utf8ToGbk(page), gbk("过于频繁"));
}

std::vector<Text> readMetaKeywords(const ByteBlock& body)
{
    Text page = body.substr(0, body.find('\0'));
    PatternMatcher m;
    m.execute(gbk("<meta.*?charset=.*?>"), page);
    for (int n = 1; n <= m.matchCount(); ++n) {
        if (containsText(m.matchText(n), "utf-8", true)) {
            page = utf8ToGbk(body);
            break;
        }
    }
    m.execute(gbk("<meta.*?keywords.*?content=(.*?)>"), page);
    if (m.matchCount() == 0) {
        m.execute(gbk("<meta.*?content=(.*?)keywords.*?>"), page);
    }
    Text keywords = trimBlanks(m.subMatchText(1, 1));
    for (const char* removed : {"\"", "'", "/", "name="}) {
        keywords = replaceAll(keywords, removed, "");
    }
    std::vector<Text> pieces = splitText(keywords, ",");
    for (const char* separator : {",", "_", "，", "|", " "}) {
        if (containsText(keywords, gbk(separator))) {
            pieces = splitText(keywords, gbk(separator));
            break;
        }
    }
    return pieces;
}

std::vector<nlohmann::json> logLines(const std::string& path)
{
    std::vector<nlohmann::json> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

} // namespace zv::test
