#include "readers/engine_profile.h"

#include "readers/constants.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"
#include "web/url.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <string>

namespace zv {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kKeywordSlot = "{keyword}";
constexpr std::string_view kSiteSlot = "{site}";
constexpr std::array kAddressSlots {kKeywordSlot, std::string_view("{offset}"), std::string_view("{first}"),
                                    std::string_view("{page}"), std::string_view("{count}")};
constexpr std::array kResultsPerPage {10, 20, 25, 50, 100};

// A refused field; thrown inside the loader only.
struct Refusal
{
    std::string field;
    std::string reason;
};

[[noreturn]] void refuse(std::string field, std::string reason)
{
    throw Refusal {std::move(field), std::move(reason)};
}

std::string member(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + "." + name;
}

// The fields of one JSON object, each taken once; what is left is unknown.
class Fields
{
public:
    Fields(const Json& object, std::string path)
        : m_object(object)
        , m_path(std::move(path))
    {
        if (!m_object.is_object())
            refuse(m_path, "must be an object");
    }

    const Json* optional(const std::string& name)
    {
        m_taken.push_back(name);
        const auto it = m_object.find(name);
        return it == m_object.end() ? nullptr : &*it;
    }

    const Json& required(const std::string& name)
    {
        const Json* value = optional(name);
        if (!value)
            refuse(path(name), "missing");
        return *value;
    }

    std::string path(const std::string& name) const { return member(m_path, name); }

    // Every field must have been asked for: a misspelt optional field would
    // otherwise be dropped without a word.
    void refuseUnknown() const
    {
        for (const auto& [name, value] : m_object.items()) {
            if (std::find(m_taken.begin(), m_taken.end(), name) == m_taken.end())
                refuse(path(name), "unknown field");
        }
    }

private:
    const Json& m_object;
    std::string m_path;
    std::vector<std::string> m_taken;
};

// A JSON string as code page text; one the code page cannot hold exactly is
// refused, since a mark or pattern changed on the way would search for
// something else.
Text textOf(const Json& value, const std::string& path, bool mayBeEmpty = false)
{
    if (!value.is_string())
        refuse(path, "must be a string");
    const std::string& utf8 = value.get_ref<const std::string&>();
    if (utf8.empty()) {
        if (!mayBeEmpty)
            refuse(path, "must not be empty");
        return {};
    }
    Text text = utf8ToGbkString(utf8);
    if (utf8.find('\0') != std::string::npos || gbkToUtf8String(text) != utf8)
        refuse(path, "holds characters code page 936 cannot hold");
    return text;
}

std::vector<Text> textsOf(const Json& value, const std::string& path)
{
    if (!value.is_array())
        refuse(path, "must be an array of strings");
    std::vector<Text> texts;
    for (std::size_t i = 0; i < value.size(); ++i)
        texts.push_back(textOf(value[i], path + "[" + std::to_string(i) + "]"));
    return texts;
}

int integerOf(const Json& value, const std::string& path)
{
    if (!value.is_number_integer())
        refuse(path, "must be a whole number");
    const auto number = value.get<std::int64_t>();
    if (number < 0 || number > 1'000'000)
        refuse(path, "is out of range");
    return static_cast<int>(number);
}

// A pattern the matcher compiles and that cannot match an empty text (such a
// pattern would find a block or a line everywhere); its group count.
int checkedPattern(const Text& pattern, const std::string& path)
{
    const PatternCheck check = checkPattern(pattern);
    if (!check.compiles)
        refuse(path,
               "the pattern does not compile: " + check.error + " at character " + std::to_string(check.position));
    if (check.canMatchEmpty)
        refuse(path, "the pattern can match an empty text");
    return check.groupCount;
}

// The address: printable ASCII (it goes on the wire as it is), http://, a
// host free of slots, "{keyword}", only known slots.
Text checkedAddress(const Text& address, const std::string& path)
{
    if (std::any_of(address.begin(), address.end(), [](unsigned char c) { return c <= ' ' || c >= 0x7F; }))
        refuse(path, "must be printable ASCII without blanks (percent-encode the rest)");
    if (lowerAscii(address.substr(0, 7)) != "http://")
        refuse(path, "must start with http://");
    if (!containsText(address, kKeywordSlot))
        refuse(path, "lacks {keyword}");
    for (std::size_t open = address.find('{'); open != Text::npos; open = address.find('{', open + 1)) {
        const std::string_view rest = std::string_view(address).substr(open);
        if (std::none_of(kAddressSlots.begin(), kAddressSlots.end(),
                         [rest](std::string_view slot) { return rest.starts_with(slot); }))
            refuse(path, "holds an unknown {...}: only {keyword}, {offset}, {first}, {page} and {count}");
    }
    const Text host = urlHost(address);
    if (host.empty() || host.find_first_of("{}") != Text::npos)
        refuse(path, "names no fixed host");
    return host;
}

EngineVerification verificationOf(const Json& value, const std::string& path)
{
    Fields fields(value, path);
    EngineVerification verification;
    if (const Json* hosts = fields.optional("redirectHosts")) {
        verification.redirectHosts = textsOf(*hosts, fields.path("redirectHosts"));
        for (Text& host : verification.redirectHosts)
            host = lowerAscii(host);
    }
    if (const Json* words = fields.optional("titleWords"))
        verification.titleWords = textsOf(*words, fields.path("titleWords"));
    if (const Json* end = fields.optional("resultTitleEnd"))
        verification.resultTitleEnd = textOf(*end, fields.path("resultTitleEnd"));
    if (const Json* words = fields.optional("pageWords"))
        verification.pageWords = textsOf(*words, fields.path("pageWords"));
    if (const Json* mark = fields.optional("resultMark"))
        verification.resultMark = textOf(*mark, fields.path("resultMark"));
    fields.refuseUnknown();
    return verification;
}

EngineProfile profileOf(const Json& root)
{
    Fields fields(root, "");
    EngineProfile engine;
    if (const Json* description = fields.optional("description"))
        engine.description = textOf(*description, "description", true);
    engine.address = textOf(fields.required("address"), "address");
    engine.host = checkedAddress(engine.address, "address");
    if (const Json* encoding = fields.optional("keywordEncoding")) {
        const Text name = lowerAscii(textOf(*encoding, "keywordEncoding"));
        if (name == "utf-8")
            engine.keywordEncoding = KeywordEncoding::Utf8;
        else if (name == "gbk")
            engine.keywordEncoding = KeywordEncoding::Gbk;
        else
            refuse("keywordEncoding", "must be \"utf-8\" or \"gbk\"");
    }
    if (const Json* count = fields.optional("resultsPerPage")) {
        engine.resultsPerPage = integerOf(*count, "resultsPerPage");
        if (std::find(kResultsPerPage.begin(), kResultsPerPage.end(), engine.resultsPerPage) == kResultsPerPage.end())
            refuse("resultsPerPage", "must be 10, 20, 25, 50 or 100");
    }
    engine.resultBlock = textOf(fields.required("resultBlock"), "resultBlock");
    const int groups = checkedPattern(engine.resultBlock, "resultBlock");
    engine.positionGroup = integerOf(fields.required("positionGroup"), "positionGroup");
    if (engine.positionGroup < 1 || engine.positionGroup > groups)
        refuse("positionGroup",
               "resultBlock has no group " + std::to_string(engine.positionGroup) + " (it has " + std::to_string(groups)
                   + ")");
    engine.addressLine = textOf(fields.required("addressLine"), "addressLine");
    checkedPattern(engine.addressLine, "addressLine");
    engine.homePage = textOf(fields.required("homePage"), "homePage");
    if (!containsText(engine.homePage, kSiteSlot))
        refuse("homePage", "lacks {site}");
    engine.noResults = textsOf(fields.required("noResults"), "noResults");
    if (engine.noResults.empty())
        refuse("noResults", "must hold at least one text");
    engine.verification = verificationOf(fields.required("verification"), "verification");
    if (const Json* pause = fields.optional("pause")) {
        engine.pause = parseEnginePause(textOf(*pause, "pause"));
        if (!engine.pause)
            refuse("pause",
                   "must be MIN-MAX or MIN whole seconds from 0 to " + std::to_string(kLongestEnginePauseSeconds));
    }
    fields.refuseUnknown();
    return engine;
}

std::optional<int> pauseSeconds(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kLongestEnginePauseSeconds)
        return std::nullopt;
    return value;
}

// The parser's message without its "[json.exception...] " prefix.
std::string parserReason(const char* what)
{
    std::string reason = what;
    if (reason.starts_with("[json.exception.")) {
        const std::size_t end = reason.find("] ");
        if (end != std::string::npos)
            reason.erase(0, end + 2);
    }
    return "not JSON: " + reason;
}

EngineProfile makeBuiltinProfile()
{
    EngineProfile engine;
    engine.description = "The built-in engine: the result pages of " + Text(kSearchHost) + ".";
    engine.address = "http://" + Text(kSearchHost) + "/s?wd={keyword}&pn={offset}&rn={count}&ie=utf-8";
    engine.host = kSearchHost;
    // One result block per table; its id, group 1, is the result's position.
    engine.resultBlock = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
    engine.positionGroup = 1;
    // The displayed-address line of a result.
    engine.addressLine = "<span class=.g.>.*?</span>";
    engine.homePage = "{site}/ ";
    engine.noResults = {utf8ToGbkString("没有找到与"), utf8ToGbkString("相关的网页")};
    engine.verification.redirectHosts = {"*"};
    engine.verification.titleWords = {utf8ToGbkString("安全验证")};
    engine.verification.resultTitleEnd = utf8ToGbkString("_百度搜索");
    engine.verification.pageWords = {utf8ToGbkString("验证码")};
    engine.verification.resultMark = "<table";
    return engine;
}

} // namespace

const EngineProfile& builtinEngineProfile()
{
    static const EngineProfile engine = makeBuiltinProfile();
    return engine;
}

std::string EngineProfileProblem::text() const
{
    return field.empty() ? reason : field + ": " + reason;
}

EngineProfileLoad parseEngineProfile(std::string_view json)
{
    EngineProfileLoad load;
    try {
        // Comments are allowed: a profile is a file people edit by hand.
        const Json root = Json::parse(json.begin(), json.end(), nullptr, true, true);
        if (!root.is_object()) {
            load.problem = {"", "must be a JSON object"};
            return load;
        }
        load.profile = profileOf(root);
    } catch (const Refusal& refusal) {
        load.problem = {refusal.field, refusal.reason};
    } catch (const Json::exception& error) {
        load.problem = {"", parserReason(error.what())};
    } catch (const std::exception& error) {
        load.problem = {"", error.what()};
    }
    return load;
}

std::optional<EnginePauseSeconds> parseEnginePause(std::string_view text)
{
    const std::size_t dash = text.find('-');
    const std::optional<int> first = pauseSeconds(text.substr(0, dash));
    if (!first)
        return std::nullopt;
    if (dash == std::string_view::npos)
        return EnginePauseSeconds {*first, *first};
    const std::optional<int> second = pauseSeconds(text.substr(dash + 1));
    if (!second || *second < *first)
        return std::nullopt;
    return EnginePauseSeconds {*first, *second};
}

Text engineSearchAddress(const EngineProfile& engine, const Text& keyword, int page)
{
    const int offset = (page - 1) * engine.resultsPerPage;
    Text address;
    const std::string_view form = engine.address;
    std::size_t from = 0;
    for (std::size_t open = form.find('{'); open != std::string_view::npos; open = form.find('{', from)) {
        address += form.substr(from, open - from);
        const std::string_view rest = form.substr(open);
        std::string_view slot;
        if (rest.starts_with(kKeywordSlot)) {
            slot = kKeywordSlot;
            address += urlEncode(keyword, true, engine.keywordEncoding == KeywordEncoding::Utf8);
        } else if (rest.starts_with("{offset}")) {
            slot = "{offset}";
            address += std::to_string(offset);
        } else if (rest.starts_with("{first}")) {
            slot = "{first}";
            address += std::to_string(offset + 1);
        } else if (rest.starts_with("{page}")) {
            slot = "{page}";
            address += std::to_string(page);
        } else if (rest.starts_with("{count}")) {
            slot = "{count}";
            address += std::to_string(engine.resultsPerPage);
        } else {
            slot = "{";
            address += '{';
        }
        from = open + slot.size();
    }
    address += form.substr(from);
    return address;
}

int enginePageCount(const EngineProfile& engine, int rangeIndex)
{
    return (rangeIndex + 1) * 100 / engine.resultsPerPage;
}

Text homePageMark(const EngineProfile& engine, const Text& siteAddress)
{
    return replaceAll(engine.homePage, kSiteSlot, siteAddress);
}

} // namespace zv
