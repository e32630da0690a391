#include "tools/simweb/scenario.h"

#include "tools/simweb/ascii_case.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace zv::simweb {

namespace {

using nlohmann::json;

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

} // namespace

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

Scenario readScenario(const std::string& jsonText, const std::string& baseDir)
{
    Scenario scenario;
    const json doc = json::parse(jsonText);
    if (doc.contains("date")) {
        const auto day = parseDay(doc.at("date").get<std::string>());
        if (!day) {
            throw std::invalid_argument("bad date " + doc.at("date").dump());
        }
        scenario.date = day;
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
                    if (entry.position < 1 || entry.position > World::totalResults) {
                        throw std::invalid_argument("position out of 1.." + std::to_string(World::totalResults));
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
        scenario.sites[lowerAscii(host)] = std::move(site);
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
        scenario.verification = verification;
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
        scenario.engineKeywords[keyword] = std::move(k);
    }
    const json overviewAnswers = engine.value("overview", json::object());
    for (const auto& [site, figures] : overviewAnswers.items()) {
        auto& answers = scenario.overviewAnswers[lowerAscii(site)];
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
    scenario.throttled = index.value("throttled", false);
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
            k.pictureFormat = formatFromExtension(dot == std::string::npos ? std::string_view()
                                                                           : std::string_view(file).substr(dot + 1));
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
        scenario.keywords[keyword] = std::move(k);
    }
    return scenario;
}

} // namespace zv::simweb
