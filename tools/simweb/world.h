#pragma once
// The simulated world behind the fake search engine, index service and home
// pages: which sites stand where for a keyword, their overview figures, the
// index figures of keywords and the keywords sites declare. A scenario fixes
// whatever it names; everything else is made up deterministically from the
// host, the keyword and the day, so that the same request on the same day
// always gives the same answer.

#include "tools/simweb/calendar.h"
#include "tools/simweb/picture_format.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zv::simweb {

// Stable hashing of texts and numbers (FNV-1a, then a 64-bit finaliser).
std::uint64_t hashOf(std::initializer_list<std::string_view> parts, std::int64_t salt = 0);

// Digits with "," between groups of three: 1234567 -> "1,234,567".
std::string groupedNumber(long long value);

// How a site's entry stands on a result page.
enum class EntryKind {
    Page, // a normal result line carrying the site address
    Double, // a result block with two lines that both carry the address
    Capitals, // near miss: the address written in capitals
    Markup, // near miss: the address broken by mark-up
    CutShort, // near miss: the address cut short
};

struct RankEntry
{
    int position = 0; // 1-based position among all results
    bool home = false; // the line shows the home page ("address/ ")
    EntryKind kind = EntryKind::Page;

    // Whether the rank search is meant to count this entry for the site.
    bool counts() const { return kind == EntryKind::Page || kind == EntryKind::Double; }
};

struct Placement
{
    std::string site;
    RankEntry entry;
};

// The six overview figures exactly as the result pages write them.
struct OverviewTexts
{
    std::optional<std::string> snapshot; // none: no result line of the site on the snapshot page
    std::string indexed; // after "找到相关结果数"
    std::string backlinks; // after "百度为您找到相关结果", may start with "约"
    std::string today;
    std::string week;
    std::string month;
};

enum class Charset {
    Utf8Meta, // UTF-8, declared in a meta tag
    Utf8MetaCapitals, // UTF-8, declared as "UTF-8"
    Utf8Header, // UTF-8, declared only in the HTTP header
    Gbk, // code page 936, declared as gb2312
};

struct HomePage
{
    std::vector<std::string> keywords; // UTF-8
    std::string separator = ",";
    bool contentFirst = false; // content attribute before name="keywords"
    bool slashClose = false; // tag closed by " />" rather than ">"
    Charset charset = Charset::Utf8Meta;
    std::optional<std::string> html; // raw page (UTF-8) instead of the generated one
};

// One row of the index service's answer table.
struct IndexRow
{
    std::string cell; // the keyword as the row shows it
    std::string keyword; // whose picture the row links
};

struct IndexAnswer
{
    bool throttled = false; // the too-many-queries page, without rows
    std::vector<IndexRow> rows;
};

// How the search engine answers one request instead of the page it would
// normally give.
struct EngineAnswer
{
    enum class Kind {
        Normal,
        Status, // an error page with this status
        Stall, // no answer at all: the connection is held until the client leaves
        NoResults, // a result page with the engine's "no results" notice
        Broken, // a result page without result blocks and without the notice
    };
    Kind kind = Kind::Normal;
    int status = 0; // for Status
};

// The two search engines, after their result mark-up: www.baidu.com's tables
// and search.example.com's list items.
enum class Engine { Tables, List };

// An engine's security check: after this many requests to the engine have
// been answered, every later one gets the check instead.
struct Verification
{
    int after = 0;
    bool redirect = true; // a 302 to the engine's check host; otherwise a 200 check page on the engine itself
};

struct IndexPicture
{
    PictureFormat format = PictureFormat::Png;
    std::optional<int> value; // the figure drawn; none for a picture read from a file
    int width = 0;
    int height = 0;
    std::string fileBytes; // set when the scenario names a file
};

// What a scenario fixes (scenario.h).
struct Scenario;

class World
{
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Reads a scenario file; on failure returns null and explains in error.
    static std::unique_ptr<World> fromScenarioFile(const std::string& path, std::string& error);
    // Same from JSON text; file names in it are relative to baseDir.
    static std::unique_ptr<World> fromScenarioText(const std::string& json, const std::string& baseDir,
                                                   std::string& error);

    // The day pages are made for: the fixed one, or the local date now.
    Day day() const;
    void setFixedDay(std::optional<Day> day) { fixedDay_ = day; }
    std::optional<Day> fixedDay() const { return fixedDay_; }

    // With learning on, every host the program asks about (home page,
    // site:, domain:, http:// searches) joins the sites that rank for
    // keywords. The optional file keeps them across runs.
    bool learning() const;
    void setLearning(bool on, const std::string& sitesFile = {});
    void learnSite(const std::string& host);

    // Scenario sites and learned sites, sorted.
    std::vector<std::string> sites() const;

    // Every site entry on the result list of keyword for day, by position.
    std::map<int, Placement> placements(const std::string& keyword, Day day) const;
    // Entries of one site among them, in position order.
    std::vector<RankEntry> ranks(const std::string& site, const std::string& keyword, Day day) const;

    OverviewTexts overview(const std::string& site, Day day) const;
    HomePage homePage(const std::string& host) const;
    IndexAnswer indexAnswer(const std::string& keyword) const;
    IndexPicture indexPicture(const std::string& keyword, Day day) const;

    // What the engine answers for result page `page` (1-based) of a keyword,
    // and for an overview figure of a site ("snapshot", "indexed",
    // "backlinks", "today", "week", "month").
    EngineAnswer rankAnswer(const std::string& keyword, int page) const;
    EngineAnswer overviewAnswer(const std::string& site, const std::string& figure) const;

    const std::optional<Verification>& verification() const;
    // Counts one request to an engine; true when it is to get the security
    // check. Each engine counts its own requests against the same limit.
    // Counting goes on for the whole run, so the check never lifts.
    bool countEngineRequest(Engine engine);

    // Result positions the engine offers for a keyword (1..totalResults).
    static constexpr int totalResults = 800;

private:
    struct Learned;

    std::unique_ptr<Scenario> scenario_;
    std::unique_ptr<Learned> learned_;
    std::optional<Day> fixedDay_;
    std::atomic<long long> engineRequests_ {0};
    std::atomic<long long> listEngineRequests_ {0};
};

} // namespace zv::simweb
