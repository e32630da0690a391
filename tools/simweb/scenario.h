#pragma once
// What a scenario fixes of the simulated world, read from its JSON text: the
// date; sites' overview figures, ranks and home pages; the engines' answers
// and security check; the index service's figures, pictures and rows. Only the
// simulated web's own sources include this.

#include "tools/simweb/world.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::simweb {

struct Scenario
{
    struct Site
    {
        nlohmann::json overview = nlohmann::json::object();
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
    std::optional<Day> date; // the fixed day, when the scenario names one
    std::map<std::string, Site> sites;
    std::map<std::string, Keyword> keywords;
    bool throttled = false;
    std::optional<Verification> verification;
    std::map<std::string, EngineKeyword> engineKeywords;
    // site (or "*") -> figure (or "*") -> answer
    std::map<std::string, std::map<std::string, EngineAnswer>> overviewAnswers;
};

// Reads a scenario's JSON text; file names in it are relative to baseDir.
// Throws an exception that says what is wrong when the text is no scenario.
Scenario readScenario(const std::string& jsonText, const std::string& baseDir);

// The bytes of a file; throws std::runtime_error when it cannot be read.
std::string readFile(const std::string& path);

} // namespace zv::simweb
