#include "tools/simweb/world.h"

#include "tools/simweb/ascii_case.h"
#include "tools/simweb/scenario.h"
#include "tools/simweb/world_generation.h"

#include <algorithm>
#include <fstream>

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

std::string figureText(const json& value, bool about)
{
    if (value.is_string()) {
        return value.get<std::string>();
    }
    const auto n = value.get<long long>();
    return (about ? std::string("约") : std::string()) + groupedNumber(n);
}

} // namespace

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
        *world->scenario_ = readScenario(jsonText, baseDir);
        world->fixedDay_ = world->scenario_->date;
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
    OverviewTexts texts = generatedOverview(site, day);

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
    return generatedHomePage(host);
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
        related = generatedRelated(keyword);
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
    if (fixed && fixed->value) {
        picture.value = std::max(0, *fixed->value);
    } else {
        picture.value = generatedIndexValue(keyword, day);
    }
    picture.format = fixed && fixed->format ? *fixed->format : generatedPictureFormat(keyword);
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
