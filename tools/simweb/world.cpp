#include "tools/simweb/world.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <numbers>
#include <sstream>

#include <nlohmann/json.hpp>

namespace zv::simweb {

namespace {

using nlohmann::json;

std::uint64_t finalise(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

// Uniform in [0, 1) from 16 bits of h, starting at bit shift.
double unit(std::uint64_t h, int shift)
{
    return static_cast<double>((h >> shift) & 0xffff) / 65536.0;
}

double wave(Day day, double period, double phase)
{
    return std::sin(2.0 * std::numbers::pi * (day + phase) / period);
}

std::string lowerAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// Keywords generated home pages declare (UTF-8). None holds a separator the
// import tries, so each comes back whole.
constexpr std::array<std::string_view, 20> kVocabulary = {
    "网站优化", "关键词排名",   "seo工具",  "百度收录",   "外链建设", "网站建设", "站长工具",
    "网络营销", "搜索引擎优化", "友情链接", "长尾关键词", "网站推广", "手机网站", "企业建站",
    "域名查询", "服务器租用",   "虚拟主机", "流量统计",   "网页设计", "软文推广",
};

constexpr std::array<std::string_view, 4> kRelatedSuffixes = {"价格", "排名", "官网", "是什么"};

std::string figureText(const json& value, bool about)
{
    if (value.is_string()) {
        return value.get<std::string>();
    }
    const auto n = value.get<long long>();
    return (about ? std::string("约") : std::string()) + groupedNumber(n);
}

EntryKind parseKind(const std::string& kind)
{
    if (kind == "page") {
        return EntryKind::Page;
    }
    if (kind == "double") {
        return EntryKind::Double;
    }
    if (kind == "capitals") {
        return EntryKind::Capitals;
    }
    if (kind == "markup") {
        return EntryKind::Markup;
    }
    if (kind == "cut") {
        return EntryKind::CutShort;
    }
    throw std::invalid_argument("unknown entry kind \"" + kind + "\"");
}

Charset parseCharset(const std::string& name)
{
    if (name == "utf-8") {
        return Charset::Utf8Meta;
    }
    if (name == "UTF-8") {
        return Charset::Utf8MetaCapitals;
    }
    if (name == "utf-8-header") {
        return Charset::Utf8Header;
    }
    if (name == "gbk") {
        return Charset::Gbk;
    }
    throw std::invalid_argument("unknown charset \"" + name + "\"");
}

// {"status": 500}, {"stall": true}, {"results": "none"} or {"results": "broken"};
// the last two only where result pages are meant.
EngineAnswer parseEngineAnswer(const json& entry, bool resultPage)
{
    if (!entry.is_object()) {
        throw std::invalid_argument("an engine answer must be an object, not " + entry.dump());
    }
    EngineAnswer answer;
    int given = 0;
    for (const auto& [key, value] : entry.items()) {
        if (key == "status") {
            answer.kind = EngineAnswer::Kind::Status;
            answer.status = value.get<int>();
            if (answer.status < 100 || answer.status > 599) {
                throw std::invalid_argument("status " + value.dump() + " out of 100..599");
            }
        } else if (key == "stall") {
            if (!value.get<bool>()) {
                continue;
            }
            answer.kind = EngineAnswer::Kind::Stall;
        } else if (key == "results" && resultPage) {
            const std::string results = value.get<std::string>();
            if (results == "none") {
                answer.kind = EngineAnswer::Kind::NoResults;
            } else if (results == "broken") {
                answer.kind = EngineAnswer::Kind::Broken;
            } else {
                throw std::invalid_argument("unknown results \"" + results + "\" (want none or broken)");
            }
        } else if (key != "pages" || !resultPage) {
            throw std::invalid_argument("unknown engine answer \"" + key + "\"");
        } else {
            continue;
        }
        ++given;
    }
    if (given > 1) {
        throw std::invalid_argument("an engine answer names one of status, stall, results: " + entry.dump());
    }
    return answer;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

std::optional<Day> parseDay(std::string_view iso)
{
    int y = 0;
    unsigned m = 0;
    unsigned d = 0;
    char tail = 0;
    const std::string text(iso);
    if (std::sscanf(text.c_str(), "%d-%u-%u%c", &y, &m, &d, &tail) != 3) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd {std::chrono::year {y}, std::chrono::month {m}, std::chrono::day {d}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return static_cast<Day>(std::chrono::sys_days {ymd}.time_since_epoch().count());
}

namespace {
std::chrono::year_month_day civil(Day day)
{
    return std::chrono::year_month_day {std::chrono::sys_days {std::chrono::days {day}}};
}
} // namespace

std::string dayText(Day day)
{
    const auto ymd = civil(day);
    return std::to_string(static_cast<int>(ymd.year())) + "-" + std::to_string(static_cast<unsigned>(ymd.month())) + "-"
        + std::to_string(static_cast<unsigned>(ymd.day()));
}

std::string isoDayText(Day day)
{
    const auto ymd = civil(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return buf;
}

Day localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const std::chrono::year_month_day ymd {std::chrono::year {local.tm_year + 1900},
                                           std::chrono::month {static_cast<unsigned>(local.tm_mon + 1)},
                                           std::chrono::day {static_cast<unsigned>(local.tm_mday)}};
    return static_cast<Day>(std::chrono::sys_days {ymd}.time_since_epoch().count());
}

std::uint64_t hashOf(std::initializer_list<std::string_view> parts, std::int64_t salt)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 0x100000001b3ULL;
    };
    for (std::string_view part : parts) {
        for (char c : part) {
            mix(static_cast<unsigned char>(c));
        }
        mix(0xff); // keeps ("ab","c") apart from ("a","bc")
    }
    for (int i = 0; i < 8; ++i) {
        mix(static_cast<unsigned char>(static_cast<std::uint64_t>(salt) >> (8 * i)));
    }
    return finalise(h);
}

std::string groupedNumber(long long value)
{
    const unsigned long long magnitude
        = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    const std::string digits = std::to_string(magnitude);
    std::string out = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string_view formatExtension(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Jpeg:
        return "jpg";
    case PictureFormat::Tiff:
        return "tif";
    case PictureFormat::Bmp:
        return "bmp";
    }
    return "png";
}

std::optional<PictureFormat> formatFromExtension(std::string_view ext)
{
    const std::string e = lowerAscii(std::string(ext));
    if (e == "png") {
        return PictureFormat::Png;
    }
    if (e == "jpg" || e == "jpeg") {
        return PictureFormat::Jpeg;
    }
    if (e == "tif" || e == "tiff") {
        return PictureFormat::Tiff;
    }
    if (e == "bmp") {
        return PictureFormat::Bmp;
    }
    return std::nullopt;
}

std::string_view formatContentType(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return "image/png";
    case PictureFormat::Jpeg:
        return "image/jpeg";
    case PictureFormat::Tiff:
        return "image/tiff";
    case PictureFormat::Bmp:
        return "image/bmp";
    }
    return "application/octet-stream";
}

struct World::Scenario
{
    struct Site
    {
        json overview = json::object();
        std::optional<std::map<std::string, std::vector<RankEntry>>> ranks;
        std::optional<HomePage> home;
    };
    struct Keyword
    {
        std::optional<int> value;
        std::optional<PictureFormat> format;
        std::optional<int> width;
        std::optional<int> height;
        std::string pictureBytes;
        std::optional<PictureFormat> pictureFormat;
        bool listed = true;
        bool throttled = false;
        std::optional<std::string> cell;
        std::optional<std::vector<std::string>> related;
    };
    struct EngineKeyword
    {
        EngineAnswer every; // every result page of the keyword
        std::map<int, EngineAnswer> pages; // overrides for single pages
    };
    std::map<std::string, Site> sites;
    std::map<std::string, Keyword> keywords;
    bool throttled = false;
    std::optional<Verification> verification;
    std::map<std::string, EngineKeyword> engineKeywords;
    // site (or "*") -> figure (or "*") -> answer
    std::map<std::string, std::map<std::string, EngineAnswer>> overviewAnswers;
};

struct World::Learned
{
    mutable std::mutex mutex;
    bool on = false;
    std::set<std::string> hosts;
    std::string file;
};

World::World()
    : scenario_(std::make_unique<Scenario>())
    , learned_(std::make_unique<Learned>())
{
}

World::~World() = default;

std::unique_ptr<World> World::fromScenarioFile(const std::string& path, std::string& error)
{
    std::string text;
    try {
        text = readFile(path);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    const auto slash = path.find_last_of('/');
    return fromScenarioText(text, slash == std::string::npos ? std::string(".") : path.substr(0, slash), error);
}

std::unique_ptr<World> World::fromScenarioText(const std::string& jsonText, const std::string& baseDir,
                                               std::string& error)
{
    auto world = std::make_unique<World>();
    try {
        const json doc = json::parse(jsonText);
        if (doc.contains("date")) {
            const auto day = parseDay(doc.at("date").get<std::string>());
            if (!day) {
                throw std::invalid_argument("bad date " + doc.at("date").dump());
            }
            world->fixedDay_ = day;
        }
        const json sites = doc.value("sites", json::object());
        for (const auto& [host, siteJson] : sites.items()) {
            Scenario::Site site;
            if (siteJson.contains("overview")) {
                site.overview = siteJson.at("overview");
                for (const auto& [key, value] : site.overview.items()) {
                    static const std::set<std::string> known
                        = {"snapshot", "indexed", "backlinks", "today", "week", "month"};
                    if (!known.contains(key)) {
                        throw std::invalid_argument("unknown overview figure \"" + key + "\"");
                    }
                    if (!(value.is_string() || value.is_number_integer() || (key == "snapshot" && value.is_null()))) {
                        throw std::invalid_argument("overview figure \"" + key + "\" must be a number or a text");
                    }
                }
            }
            if (siteJson.contains("ranks")) {
                std::map<std::string, std::vector<RankEntry>> ranks;
                for (const auto& [keyword, entries] : siteJson.at("ranks").items()) {
                    auto& list = ranks[keyword];
                    for (const auto& e : entries) {
                        RankEntry entry;
                        entry.position = e.at("position").get<int>();
                        if (entry.position < 1 || entry.position > totalResults) {
                            throw std::invalid_argument("position out of 1.." + std::to_string(totalResults));
                        }
                        entry.home = e.value("home", false);
                        entry.kind = parseKind(e.value("kind", std::string("page")));
                        list.push_back(entry);
                    }
                }
                site.ranks = std::move(ranks);
            }
            if (siteJson.contains("home")) {
                const json& h = siteJson.at("home");
                HomePage home;
                home.keywords = h.value("keywords", std::vector<std::string> {});
                home.separator = h.value("separator", std::string(","));
                const std::string order = h.value("order", std::string("name-first"));
                if (order != "name-first" && order != "content-first") {
                    throw std::invalid_argument("unknown order \"" + order + "\"");
                }
                home.contentFirst = order == "content-first";
                home.slashClose = h.value("close", std::string(">")) == " />";
                home.charset = parseCharset(h.value("charset", std::string("utf-8")));
                if (h.contains("html")) {
                    home.html = h.at("html").get<std::string>();
                }
                site.home = std::move(home);
            }
            world->scenario_->sites[lowerAscii(host)] = std::move(site);
        }
        const json engine = doc.value("engine", json::object());
        for (const auto& [key, value] : engine.items()) {
            if (key != "verification" && key != "keywords" && key != "overview") {
                throw std::invalid_argument("unknown engine part \"" + key + "\"");
            }
        }
        if (engine.contains("verification")) {
            const json& v = engine.at("verification");
            Verification verification;
            verification.after = v.value("after", 0);
            if (verification.after < 0) {
                throw std::invalid_argument("verification after a negative number of requests");
            }
            const std::string form = v.value("form", std::string("redirect"));
            if (form != "redirect" && form != "page") {
                throw std::invalid_argument("unknown verification form \"" + form + "\" (want redirect or page)");
            }
            verification.redirect = form == "redirect";
            world->scenario_->verification = verification;
        }
        const json engineKeywords = engine.value("keywords", json::object());
        for (const auto& [keyword, entry] : engineKeywords.items()) {
            Scenario::EngineKeyword k;
            k.every = parseEngineAnswer(entry, true);
            const json pages = entry.value("pages", json::object());
            for (const auto& [pageText, pageSpec] : pages.items()) {
                int page = 0;
                const auto [end, ec] = std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
                if (ec != std::errc() || end != pageText.data() + pageText.size() || page < 1) {
                    throw std::invalid_argument("result page \"" + pageText + "\" is no number from 1");
                }
                k.pages[page] = parseEngineAnswer(pageSpec, true);
            }
            world->scenario_->engineKeywords[keyword] = std::move(k);
        }
        const json overviewAnswers = engine.value("overview", json::object());
        for (const auto& [site, figures] : overviewAnswers.items()) {
            auto& answers = world->scenario_->overviewAnswers[lowerAscii(site)];
            for (const auto& [figure, entry] : figures.items()) {
                static const std::set<std::string> known
                    = {"snapshot", "indexed", "backlinks", "today", "week", "month", "*"};
                if (!known.contains(figure)) {
                    throw std::invalid_argument("unknown overview figure \"" + figure + "\"");
                }
                answers[figure] = parseEngineAnswer(entry, false);
            }
        }
        const json index = doc.value("index", json::object());
        world->scenario_->throttled = index.value("throttled", false);
        const json keywords = index.value("keywords", json::object());
        for (const auto& [keyword, siteJson] : keywords.items()) {
            Scenario::Keyword k;
            if (siteJson.contains("value")) {
                k.value = siteJson.at("value").get<int>();
            }
            if (siteJson.contains("format")) {
                k.format = formatFromExtension(siteJson.at("format").get<std::string>());
                if (!k.format) {
                    throw std::invalid_argument("unknown picture format " + siteJson.at("format").dump());
                }
            }
            if (siteJson.contains("width")) {
                k.width = std::clamp(siteJson.at("width").get<int>(), 1, 2000);
            }
            if (siteJson.contains("height")) {
                k.height = std::clamp(siteJson.at("height").get<int>(), 1, 2000);
            }
            if (siteJson.contains("picture")) {
                const std::string file = siteJson.at("picture").get<std::string>();
                const auto dot = file.find_last_of('.');
                k.pictureFormat = formatFromExtension(
                    dot == std::string::npos ? std::string_view() : std::string_view(file).substr(dot + 1));
                if (!k.pictureFormat) {
                    throw std::invalid_argument("picture " + file + " has no known extension");
                }
                k.pictureBytes = readFile(file.starts_with('/') ? file : baseDir + "/" + file);
            }
            k.listed = siteJson.value("listed", true);
            k.throttled = siteJson.value("throttled", false);
            if (siteJson.contains("cell")) {
                k.cell = siteJson.at("cell").get<std::string>();
            }
            if (siteJson.contains("related")) {
                k.related = siteJson.at("related").get<std::vector<std::string>>();
            }
            world->scenario_->keywords[keyword] = std::move(k);
        }
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    return world;
}

Day World::day() const
{
    return fixedDay_ ? *fixedDay_ : localToday();
}

bool World::learning() const
{
    const std::lock_guard lock(learned_->mutex);
    return learned_->on;
}

void World::setLearning(bool on, const std::string& sitesFile)
{
    const std::lock_guard lock(learned_->mutex);
    learned_->on = on;
    learned_->file = sitesFile;
    if (!on || sitesFile.empty()) {
        return;
    }
    std::ifstream in(sitesFile);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            learned_->hosts.insert(lowerAscii(line));
        }
    }
}

void World::learnSite(const std::string& rawHost)
{
    std::string host = lowerAscii(rawHost);
    if (host.starts_with("http://")) {
        host.erase(0, 7);
    }
    host = host.substr(0, host.find('/'));
    if (host.empty() || host.find_first_of(" \t\r\n<>\"'") != std::string::npos) {
        return;
    }
    const std::lock_guard lock(learned_->mutex);
    if (!learned_->on || scenario_->sites.contains(host) || !learned_->hosts.insert(host).second) {
        return;
    }
    if (!learned_->file.empty()) {
        std::ofstream out(learned_->file, std::ios::app);
        out << host << '\n';
    }
}

std::vector<std::string> World::sites() const
{
    std::set<std::string> all;
    for (const auto& [host, site] : scenario_->sites) {
        all.insert(host);
    }
    {
        const std::lock_guard lock(learned_->mutex);
        all.insert(learned_->hosts.begin(), learned_->hosts.end());
    }
    return {all.begin(), all.end()};
}

std::vector<RankEntry> World::generatedRanks(const std::string& site, const std::string& keyword, Day day) const
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
                                    1, totalResults);

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
    std::erase_if(entries, [](const RankEntry& e) { return e.position > totalResults; });
    return entries;
}

std::map<int, Placement> World::placements(const std::string& keyword, Day day) const
{
    std::map<int, Placement> placed;
    const std::vector<std::string> all = sites();
    // Fixed entries first, at exactly their positions.
    for (const std::string& site : all) {
        const auto it = scenario_->sites.find(site);
        if (it == scenario_->sites.end() || !it->second.ranks) {
            continue;
        }
        const auto entries = it->second.ranks->find(keyword);
        if (entries == it->second.ranks->end()) {
            continue;
        }
        for (const RankEntry& e : entries->second) {
            placed.try_emplace(e.position, Placement {site, e});
        }
    }
    // Generated entries take the next free position when theirs is taken.
    for (const std::string& site : all) {
        const auto it = scenario_->sites.find(site);
        if (it != scenario_->sites.end() && it->second.ranks) {
            continue;
        }
        for (RankEntry e : generatedRanks(site, keyword, day)) {
            while (e.position <= totalResults && placed.contains(e.position)) {
                ++e.position;
            }
            if (e.position <= totalResults) {
                placed.emplace(e.position, Placement {site, e});
            }
        }
    }
    return placed;
}

std::vector<RankEntry> World::ranks(const std::string& site, const std::string& keyword, Day day) const
{
    std::vector<RankEntry> out;
    for (const auto& [position, placement] : placements(keyword, day)) {
        if (placement.site == site) {
            out.push_back(placement.entry);
        }
    }
    return out;
}

OverviewTexts World::overview(const std::string& rawSite, Day day) const
{
    const std::string site = lowerAscii(rawSite);
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

    const auto it = scenario_->sites.find(site);
    if (it != scenario_->sites.end()) {
        const json& fixed = it->second.overview;
        if (fixed.contains("snapshot")) {
            texts.snapshot = fixed.at("snapshot").is_null()
                ? std::nullopt
                : std::optional<std::string>(figureText(fixed.at("snapshot"), false));
        }
        const std::pair<const char*, std::string*> counts[]
            = {{"indexed", &texts.indexed}, {"today", &texts.today}, {"week", &texts.week}, {"month", &texts.month}};
        for (const auto& [key, target] : counts) {
            if (fixed.contains(key)) {
                *target = figureText(fixed.at(key), false);
            }
        }
        if (fixed.contains("backlinks")) {
            texts.backlinks = figureText(fixed.at("backlinks"), true);
        }
    }
    return texts;
}

HomePage World::homePage(const std::string& rawHost) const
{
    const std::string host = lowerAscii(rawHost);
    const auto it = scenario_->sites.find(host);
    if (it != scenario_->sites.end() && it->second.home) {
        return *it->second.home;
    }
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

IndexAnswer World::indexAnswer(const std::string& keyword) const
{
    IndexAnswer answer;
    const auto it = scenario_->keywords.find(keyword);
    const Scenario::Keyword* fixed = it == scenario_->keywords.end() ? nullptr : &it->second;
    if (scenario_->throttled || (fixed && fixed->throttled)) {
        answer.throttled = true;
        return answer;
    }
    std::vector<std::string> related;
    if (fixed && fixed->related) {
        related = *fixed->related;
    } else {
        const std::uint64_t h = hashOf({keyword, "related"});
        const std::size_t count = 1 + h % 3;
        for (std::size_t i = 0; i < count; ++i) {
            related.push_back(keyword + std::string(kRelatedSuffixes[(h / 3 + i) % kRelatedSuffixes.size()]));
        }
    }
    // The asked keyword stands second when there are related rows, so that a
    // reader has to look past the first row.
    for (std::size_t i = 0; i < related.size(); ++i) {
        answer.rows.push_back({related[i], related[i]});
        if (i == 0 && (!fixed || fixed->listed)) {
            answer.rows.push_back({fixed && fixed->cell ? *fixed->cell : keyword, keyword});
        }
    }
    if (related.empty() && (!fixed || fixed->listed)) {
        answer.rows.push_back({fixed && fixed->cell ? *fixed->cell : keyword, keyword});
    }
    return answer;
}

IndexPicture World::indexPicture(const std::string& keyword, Day day) const
{
    const auto it = scenario_->keywords.find(keyword);
    const Scenario::Keyword* fixed = it == scenario_->keywords.end() ? nullptr : &it->second;
    IndexPicture picture;
    if (fixed && fixed->pictureFormat) {
        picture.format = *fixed->pictureFormat;
        picture.fileBytes = fixed->pictureBytes;
        return picture;
    }
    const std::uint64_t h = hashOf({keyword, "index"});
    if (fixed && fixed->value) {
        picture.value = std::max(0, *fixed->value);
    } else {
        const double base = std::pow(10.0, 1.0 + 3.3 * unit(h, 0));
        const double drift
            = 1.0 + 0.15 * wave(day, 7.0 + static_cast<double>((h >> 16) % 24), static_cast<double>((h >> 24) % 31));
        picture.value = static_cast<int>(std::lround(base * drift)) + static_cast<int>(hashOf({keyword}, day) % 7);
    }
    static constexpr std::array<PictureFormat, 4> formats
        = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Tiff, PictureFormat::Bmp};
    picture.format = fixed && fixed->format ? *fixed->format : formats[(h >> 40) % formats.size()];
    const int digits = static_cast<int>(std::to_string(*picture.value).size());
    picture.width = fixed && fixed->width ? *fixed->width : 4 + 12 * digits;
    picture.height = fixed && fixed->height ? *fixed->height : 16;
    return picture;
}

EngineAnswer World::rankAnswer(const std::string& keyword, int page) const
{
    const auto it = scenario_->engineKeywords.find(keyword);
    if (it == scenario_->engineKeywords.end()) {
        return {};
    }
    const auto single = it->second.pages.find(page);
    return single != it->second.pages.end() ? single->second : it->second.every;
}

EngineAnswer World::overviewAnswer(const std::string& site, const std::string& figure) const
{
    // The most particular entry wins: this site and figure, this site, any
    // site and this figure, anything.
    for (const std::string& host : {lowerAscii(site), std::string("*")}) {
        const auto answers = scenario_->overviewAnswers.find(host);
        if (answers == scenario_->overviewAnswers.end()) {
            continue;
        }
        for (const std::string& key : {figure, std::string("*")}) {
            const auto answer = answers->second.find(key);
            if (answer != answers->second.end()) {
                return answer->second;
            }
        }
    }
    return {};
}

const std::optional<Verification>& World::verification() const
{
    return scenario_->verification;
}

bool World::countEngineRequest(Engine engine)
{
    const long long count = ++(engine == Engine::List ? listEngineRequests_ : engineRequests_);
    return scenario_->verification && count > scenario_->verification->after;
}

} // namespace zv::simweb
