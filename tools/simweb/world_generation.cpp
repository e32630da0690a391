#include "tools/simweb/world_generation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace zv::simweb {

namespace {

// Uniform in [0, 1) from 16 bits of h, starting at bit shift.
double unit(std::uint64_t h, int shift)
{
    return static_cast<double>((h >> shift) & 0xffff) / 65536.0;
}

double wave(Day day, double period, double phase)
{
    return std::sin(2.0 * std::numbers::pi * (day + phase) / period);
}

// Keywords generated home pages declare (UTF-8). None holds a separator the
// import tries, so each comes back whole.
constexpr std::array<std::string_view, 20> kVocabulary = {
    "网站优化", "关键词排名",   "seo工具",  "百度收录",   "外链建设", "网站建设", "站长工具",
    "网络营销", "搜索引擎优化", "友情链接", "长尾关键词", "网站推广", "手机网站", "企业建站",
    "域名查询", "服务器租用",   "虚拟主机", "流量统计",   "网页设计", "软文推广",
};

constexpr std::array<std::string_view, 4> kRelatedSuffixes = {"价格", "排名", "官网", "是什么"};

} // namespace

std::vector<RankEntry> generatedRanks(const std::string& site, const std::string& keyword, Day day)
{
    const std::uint64_t h = hashOf({site, keyword});
    if (h % 100 < 12) {
        return {}; // not among the results at all
    }
    const double u = unit(h, 8);
    const double base = 1.0 + 180.0 * u * u; // most sites near the top, some far down
    const double period = 9.0 + static_cast<double>((h >> 24) % 22);
    const double phase = static_cast<double>((h >> 32) % 97);
    const double amplitude = 1.5 + base / 5.0;
    const std::uint64_t daily = hashOf({site, keyword, "day"}, day);
    const double noise = static_cast<double>(daily % 5) - 2.0;
    const int position = std::clamp(static_cast<int>(std::lround(base + amplitude * wave(day, period, phase) + noise)),
                                    1, World::totalResults);

    std::vector<RankEntry> entries;
    RankEntry first {position, (h >> 40) % 10 < 6, (h >> 48) % 10 == 0 ? EntryKind::Double : EntryKind::Page};
    entries.push_back(first);
    if ((daily >> 8) % 10 < 4) {
        entries.push_back({position + 1 + static_cast<int>((daily >> 16) % 90), false, EntryKind::Page});
    }
    if ((daily >> 24) % 10 < 2) {
        static constexpr std::array<EntryKind, 3> misses
            = {EntryKind::Capitals, EntryKind::Markup, EntryKind::CutShort};
        entries.push_back({position + 1 + static_cast<int>((daily >> 32) % 40), false, misses[(daily >> 40) % 3]});
    }
    std::erase_if(entries, [](const RankEntry& e) { return e.position > World::totalResults; });
    return entries;
}

OverviewTexts generatedOverview(const std::string& site, Day day)
{
    const std::uint64_t h = hashOf({site, "overview"});
    const std::uint64_t daily = hashOf({site, "overview-day"}, day);

    const double indexedBase = std::pow(10.0, 2.0 + 3.0 * unit(h, 0));
    const double indexedNow = indexedBase
            * (1.0 + 0.12 * wave(day, 45.0, static_cast<double>(h % 45))
               + 0.05 * wave(day, 11.0, static_cast<double>((h >> 8) % 11)))
        + static_cast<double>(daily % (static_cast<std::uint64_t>(indexedBase / 100.0) + 1));
    const long long indexed = std::max(1LL, std::llround(indexedNow));
    const long long month
        = std::clamp(std::llround(static_cast<double>(indexed) * (0.03 + 0.12 * unit(h, 16))
                                  * (1.0 + 0.2 * wave(day, 23.0, static_cast<double>((h >> 24) % 23)))),
                     0LL, indexed);
    const long long week = std::clamp(
        std::llround(static_cast<double>(month) * (0.3 + 0.15 * wave(day, 13.0, static_cast<double>((h >> 32) % 13)))),
        0LL, month);
    const long long today
        = std::clamp(std::llround(static_cast<double>(week) * (0.1 + 0.1 * unit(daily, 8))), 0LL, week);
    const long long backlinks
        = std::max(0LL,
                   std::llround(std::pow(10.0, 1.0 + 4.0 * unit(h, 40))
                                * (1.0 + 0.1 * wave(day, 30.0, static_cast<double>((h >> 56) % 30)))));

    OverviewTexts texts;
    texts.snapshot = dayText(day - static_cast<Day>((daily >> 24) % 3));
    texts.indexed = groupedNumber(indexed);
    texts.backlinks = "约" + groupedNumber(backlinks);
    texts.today = groupedNumber(today);
    texts.week = groupedNumber(week);
    texts.month = groupedNumber(month);
    return texts;
}

HomePage generatedHomePage(const std::string& host)
{
    const std::uint64_t h = hashOf({host, "home"});
    HomePage page;
    const std::size_t count = 3 + h % 4;
    std::vector<std::size_t> picks;
    for (std::size_t i = 0; picks.size() < count; ++i) {
        const std::size_t pick = hashOf({host, "keyword"}, static_cast<std::int64_t>(i)) % kVocabulary.size();
        if (std::find(picks.begin(), picks.end(), pick) == picks.end()) {
            picks.push_back(pick);
        }
    }
    for (std::size_t pick : picks) {
        page.keywords.emplace_back(kVocabulary[pick]);
    }
    static constexpr std::array<std::string_view, 4> separators = {",", "，", "|", ","};
    page.separator = separators[(h >> 8) % separators.size()];
    page.contentFirst = (h >> 16) % 5 == 0;
    page.slashClose = (h >> 24) % 7 == 0;
    const auto charsetPick = (h >> 32) % 20;
    page.charset = charsetPick < 10 ? Charset::Utf8Meta : charsetPick < 13 ? Charset::Utf8MetaCapitals : Charset::Gbk;
    return page;
}

std::vector<std::string> generatedRelated(const std::string& keyword)
{
    std::vector<std::string> related;
    const std::uint64_t h = hashOf({keyword, "related"});
    const std::size_t count = 1 + h % 3;
    for (std::size_t i = 0; i < count; ++i) {
        related.push_back(keyword + std::string(kRelatedSuffixes[(h / 3 + i) % kRelatedSuffixes.size()]));
    }
    return related;
}

int generatedIndexValue(const std::string& keyword, Day day)
{
    const std::uint64_t h = hashOf({keyword, "index"});
    const double base = std::pow(10.0, 1.0 + 3.3 * unit(h, 0));
    const double drift
        = 1.0 + 0.15 * wave(day, 7.0 + static_cast<double>((h >> 16) % 24), static_cast<double>((h >> 24) % 31));
    return static_cast<int>(std::lround(base * drift)) + static_cast<int>(hashOf({keyword}, day) % 7);
}

PictureFormat generatedPictureFormat(const std::string& keyword)
{
    const std::uint64_t h = hashOf({keyword, "index"});
    static constexpr std::array<PictureFormat, 4> formats
        = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Tiff, PictureFormat::Bmp};
    return formats[(h >> 40) % formats.size()];
}

} // namespace zv::simweb
