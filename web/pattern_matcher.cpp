#include "web/pattern_matcher.h"

#include "text/unicode.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace zv {

namespace {

struct CodeFree
{
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree
{
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree
{
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree
{
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree
{
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

constexpr std::uint32_t unsetPosition = std::numeric_limits<std::uint32_t>::max();

// Bounds on the interpreter's backtracking depth and memory, and on the JIT's
// stack; hitting any of them ends the search like the work limit does.
constexpr std::uint32_t depthLimit = 100'000;
constexpr std::uint32_t heapLimitKiB = 64 * 1024;
constexpr std::size_t jitStackStart = 32 * 1024;
constexpr std::size_t jitStackMax = 4 * 1024 * 1024;

pcre2_jit_stack* sharedJitStack()
{
    thread_local JitStackPtr stack(pcre2_jit_stack_create(jitStackStart, jitStackMax, nullptr));
    return stack.get();
}

// The limits and the JIT stack of every search, set once per thread.
pcre2_match_context* sharedMatchContext()
{
    thread_local MatchContextPtr context = [] {
        MatchContextPtr made(pcre2_match_context_create(nullptr));
        if (made) {
            pcre2_set_match_limit(made.get(), PatternMatcher::workLimit);
            pcre2_set_depth_limit(made.get(), depthLimit);
            pcre2_set_heap_limit(made.get(), heapLimitKiB);
            if (pcre2_jit_stack* stack = sharedJitStack())
                pcre2_jit_stack_assign(made.get(), nullptr, stack);
        }
        return made;
    }();
    return context.get();
}

// Room for the positions of a search with `pairs` positions (the match and
// each group), kept per thread and grown when a pattern needs more. Each search
// reads only the positions its own match set.
pcre2_match_data* sharedMatchData(std::uint32_t pairs)
{
    thread_local MatchDataPtr data;
    thread_local std::uint32_t room = 0;
    if (!data || room < pairs) {
        data.reset(pcre2_match_data_create(std::max(pairs, 16u), nullptr));
        room = data ? std::max(pairs, 16u) : 0;
    }
    return data.get();
}

// \uXXXX escapes, unset back-references matching nothing and "$" only at the
// very end in single-line mode, as the program's patterns expect. "\C" (one
// byte of a character) is refused: it would leave the search in the middle of
// a character.
std::uint32_t compileOptions(bool caseSensitive, bool singleLine)
{
    std::uint32_t options
        = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_BACKSLASH_C;
    if (!caseSensitive)
        options |= PCRE2_CASELESS;
    if (!singleLine)
        options |= PCRE2_MULTILINE;
    return options;
}

} // namespace

struct CompiledPattern
{
    Text pattern;
    std::uint32_t options = 0;
    CodePtr code; // null when the pattern did not compile
    std::uint32_t groupCount = 0;
    bool jit = false; // compiled to machine code: searches go to it directly
};

namespace {

// The same pattern run again (one entry pattern over every result block)
// keeps its compiled form.
std::shared_ptr<const CompiledPattern> compilePattern(const std::shared_ptr<const CompiledPattern>& previous,
                                                      const Text& pattern, std::uint32_t options)
{
    if (previous && previous->code && previous->pattern == pattern && previous->options == options)
        return previous;
    auto fresh = std::make_shared<CompiledPattern>();
    fresh->pattern = pattern;
    fresh->options = options;
    CompileContextPtr compileContext(pcre2_compile_context_create(nullptr));
    if (!compileContext)
        return fresh;
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);
    const std::string patternUtf8 = gbkToUtf8String(pattern);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    fresh->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patternUtf8.data()), patternUtf8.size(), options,
                                    &errorCode, &errorOffset, compileContext.get()));
    if (!fresh->code)
        return fresh;
    // The interpreter runs when JIT is unavailable.
    fresh->jit = pcre2_jit_compile(fresh->code.get(), PCRE2_JIT_COMPLETE) == 0;
    pcre2_pattern_info(fresh->code.get(), PCRE2_INFO_CAPTURECOUNT, &fresh->groupCount);
    return fresh;
}

// Every match of a compiled pattern over subject[0, length), left to right.
// For each match, record(set, from, to) is called once for the whole match and
// once per group, with byte positions in the subject; set is false for a group
// that took no part. False when the search ended at a limit (or could not
// start) rather than at the end of the matches.
template <typename Record>
bool findMatches(const CompiledPattern& engine, const char* subject, std::size_t length, Record record)
{
    const std::uint32_t slots = engine.groupCount + 1;
    pcre2_match_context* matchContext = sharedMatchContext();
    pcre2_match_data* matchData = sharedMatchData(slots);
    if (!matchContext || !matchData)
        return false;

    const auto* subjectData = reinterpret_cast<PCRE2_SPTR>(subject);
    std::size_t start = 0;
    while (start <= length) {
        const int rc = engine.jit
            ? pcre2_jit_match(engine.code.get(), subjectData, length, start, PCRE2_NO_UTF_CHECK, matchData,
                              matchContext)
            : pcre2_match(engine.code.get(), subjectData, length, start, PCRE2_NO_UTF_CHECK, matchData, matchContext);
        // No further match, or a limit reached: the list ends here either way,
        // and a limit says the rest of the subject is unknown.
        if (rc == PCRE2_ERROR_NOMATCH)
            return true;
        if (rc <= 0)
            return false;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData);
        for (std::uint32_t group = 0; group < slots; ++group) {
            const PCRE2_SIZE from = ovector[2 * group];
            const PCRE2_SIZE to = ovector[2 * group + 1];
            const bool set
                = group < static_cast<std::uint32_t>(rc) && from != PCRE2_UNSET && from <= to && to <= length;
            record(set, from, to);
        }
        const std::size_t matchStart = ovector[0];
        const std::size_t matchEnd = ovector[1];
        if (matchEnd > matchStart) {
            start = matchEnd;
        } else {
            // An empty match: the next search starts one character further on.
            if (matchEnd >= length)
                break;
            start = matchEnd + utf8CharLength(static_cast<unsigned char>(subject[matchEnd]));
        }
    }
    return true;
}

} // namespace

// Each match holds 2 * (groupCount + 1) byte positions into the subject: the
// whole match first, then each group (unsetPosition for a group that took no
// part).
struct PatternMatcher::Matches
{
    std::uint32_t groupCount = 0;
    bool gaveUp = false;
    std::vector<std::uint32_t> spans;

    int count() const { return static_cast<int>(spans.size() / (2 * (groupCount + 1))); }
    const std::uint32_t* span(int match, std::uint32_t group) const
    {
        return spans.data() + 2 * ((static_cast<std::size_t>(match) * (groupCount + 1)) + group);
    }
};

PatternCheck checkPattern(const Text& pattern, bool caseSensitive, bool singleLine)
{
    PatternCheck check;
    CompileContextPtr compileContext(pcre2_compile_context_create(nullptr));
    if (!compileContext) {
        check.error = "out of memory";
        return check;
    }
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);
    const std::string patternUtf8 = gbkToUtf8String(pattern);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const CodePtr code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patternUtf8.data()), patternUtf8.size(),
                                     compileOptions(caseSensitive, singleLine), &errorCode, &errorOffset,
                                     compileContext.get()));
    if (!code) {
        PCRE2_UCHAR message[256] = {};
        if (pcre2_get_error_message(errorCode, message, sizeof message) < 0)
            check.error = "error " + std::to_string(errorCode);
        else
            check.error = reinterpret_cast<const char*>(message);
        // The offset counts bytes of the UTF-8 form; the caller counts characters.
        errorOffset = std::min<PCRE2_SIZE>(errorOffset, patternUtf8.size());
        check.position = 1;
        for (PCRE2_SIZE i = 0; i < errorOffset; ++i) {
            if ((static_cast<unsigned char>(patternUtf8[i]) & 0xC0) != 0x80)
                ++check.position;
        }
        return check;
    }
    std::uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    std::uint32_t shortest = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_MINLENGTH, &shortest);
    check.compiles = true;
    check.groupCount = static_cast<int>(groups);
    check.canMatchEmpty = shortest == 0;
    return check;
}

PatternMatcher::PatternMatcher() = default;
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(const PatternMatcher& other) = default;
PatternMatcher& PatternMatcher::operator=(const PatternMatcher& other) = default;
PatternMatcher::PatternMatcher(PatternMatcher&& other) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&& other) noexcept = default;

PatternMatcher PatternMatcher::copy() const
{
    return *this;
}

bool PatternMatcher::execute(const Text& pattern, const Text& subject, bool caseSensitive, bool singleLine)
{
    std::shared_ptr<const CompiledPattern> engine
        = compilePattern(m_engine, pattern, compileOptions(caseSensitive, singleLine));
    m_engine.reset();
    m_matches.reset();
    m_subjectText = subject;
    if (!engine->code) {
        m_engine = std::move(engine);
        return true;
    }

    auto matches = std::make_shared<Matches>();
    matches->groupCount = engine->groupCount;
    // The subject as UTF-8 for the engine, and back to subject positions.
    std::vector<std::uint32_t> positions;
    const std::string subjectUtf8 = gbkToUtf8Mapped(subject, positions);
    matches->gaveUp = !findMatches(*engine, subjectUtf8.data(), subjectUtf8.size(),
                                   [&](bool set, std::size_t from, std::size_t to) {
                                       matches->spans.push_back(set ? positions[from] : unsetPosition);
                                       matches->spans.push_back(set ? positions[to] : unsetPosition);
                                   });

    m_engine = std::move(engine);
    m_matches = std::move(matches);
    return true;
}

Text PatternMatcher::patternText() const
{
    return m_engine ? m_engine->pattern : Text();
}

int PatternMatcher::matchCount() const
{
    return m_matches ? m_matches->count() : 0;
}

Text PatternMatcher::matchText(int match) const
{
    return spanText(match, 0);
}

Text PatternMatcher::subMatchText(int match, int group) const
{
    return group < 1 ? Text() : spanText(match, group);
}

Text PatternMatcher::spanText(int match, int group) const
{
    if (!m_matches || match < 1 || match > m_matches->count() || group < 0
        || static_cast<std::uint32_t>(group) > m_matches->groupCount)
        return Text();
    const std::uint32_t* span = m_matches->span(match - 1, static_cast<std::uint32_t>(group));
    if (span[0] == unsetPosition)
        return Text();
    return m_subjectText.substr(span[0], span[1] - span[0]);
}

int PatternMatcher::subMatchCount() const
{
    if (!m_matches || m_matches->count() == 0)
        return 0;
    return static_cast<int>(m_matches->groupCount);
}

bool PatternMatcher::gaveUp() const
{
    return m_matches && m_matches->gaveUp;
}

PatternMatcher::ScopedWorkLimit::ScopedWorkLimit(std::uint32_t limit)
{
    if (pcre2_match_context* context = sharedMatchContext())
        pcre2_set_match_limit(context, limit);
}

PatternMatcher::ScopedWorkLimit::~ScopedWorkLimit()
{
    if (pcre2_match_context* context = sharedMatchContext())
        pcre2_set_match_limit(context, workLimit);
}

Text PatternMatcher::replaceAll(const Text& replacement) const
{
    if (!m_engine || !m_engine->code || !m_matches)
        return Text();
    const Matches& matches = *m_matches;
    const std::string_view subject = m_subjectText;
    Text out;
    out.reserve(subject.size());
    std::size_t copied = 0;
    for (int match = 0; match < matches.count(); ++match) {
        const std::uint32_t* whole = matches.span(match, 0);
        out.append(subject.substr(copied, whole[0] - copied));
        std::size_t i = 0;
        while (i < replacement.size()) {
            const std::size_t len = charLength(replacement, i);
            if (len != 1 || replacement[i] != '$' || i + 1 >= replacement.size()) {
                out.append(replacement, i, len);
                i += len;
                continue;
            }
            const char next = replacement[i + 1];
            if (next == '$') {
                out.push_back('$');
                i += 2;
            } else if (next == '&') {
                out.append(subject.substr(whole[0], whole[1] - whole[0]));
                i += 2;
            } else if (next == '`') {
                out.append(subject.substr(0, whole[0]));
                i += 2;
            } else if (next == '\'') {
                out.append(subject.substr(whole[1]));
                i += 2;
            } else if (next >= '0' && next <= '9') {
                // Two digits when they name a group, else one; "$0" and
                // numbers past the last group stay literal.
                std::uint32_t group = static_cast<std::uint32_t>(next - '0');
                std::size_t used = 2;
                if (i + 2 < replacement.size() && replacement[i + 2] >= '0' && replacement[i + 2] <= '9') {
                    const std::uint32_t twoDigits = group * 10 + static_cast<std::uint32_t>(replacement[i + 2] - '0');
                    if (twoDigits >= 1 && twoDigits <= matches.groupCount) {
                        group = twoDigits;
                        used = 3;
                    }
                }
                if (group >= 1 && group <= matches.groupCount) {
                    const std::uint32_t* span = matches.span(match, group);
                    if (span[0] != unsetPosition)
                        out.append(subject.substr(span[0], span[1] - span[0]));
                    i += used;
                } else {
                    out.push_back('$');
                    i += 1;
                }
            } else {
                out.push_back('$');
                i += 1;
            }
        }
        copied = whole[1];
    }
    out.append(subject.substr(copied));
    return out;
}

bool PageMatcher::execute(const Text& pattern, const PageForm& page, bool caseSensitive, bool singleLine)
{
    return execute(pattern, page, page.whole(), caseSensitive, singleLine);
}

bool PageMatcher::execute(const Text& pattern, const PageForm& page, PageRange within, bool caseSensitive,
                          bool singleLine)
{
    m_engine = compilePattern(m_engine, pattern, compileOptions(caseSensitive, singleLine));
    m_page = &page;
    m_spans.clear();
    m_gaveUp = false;
    m_groupCount = m_engine->code ? m_engine->groupCount : 0;
    if (!m_engine->code || within.begin > within.end || within.end > page.utf8().size())
        return true;
    const std::size_t base = within.begin;
    m_gaveUp = !findMatches(*m_engine, page.utf8().data() + base, within.size(),
                            [&](bool set, std::size_t from, std::size_t to) {
                                m_spans.push_back(set ? static_cast<std::uint32_t>(base + from) : unsetPosition);
                                m_spans.push_back(set ? static_cast<std::uint32_t>(base + to) : unsetPosition);
                            });
    return true;
}

int PageMatcher::matchCount() const
{
    return static_cast<int>(m_spans.size() / (2 * (m_groupCount + 1)));
}

PageRange PageMatcher::matchRange(int match) const
{
    if (match < 1 || match > matchCount())
        return {};
    const std::uint32_t* span = m_spans.data() + 2 * (static_cast<std::size_t>(match - 1) * (m_groupCount + 1));
    return {span[0], span[1]};
}

Text PageMatcher::matchText(int match) const
{
    return spanText(match, 0);
}

Text PageMatcher::subMatchText(int match, int group) const
{
    return group < 1 ? Text() : spanText(match, static_cast<std::uint32_t>(group));
}

Text PageMatcher::spanText(int match, std::uint32_t group) const
{
    if (m_page == nullptr || match < 1 || match > matchCount() || group > m_groupCount)
        return Text();
    const std::uint32_t* span
        = m_spans.data() + 2 * ((static_cast<std::size_t>(match - 1) * (m_groupCount + 1)) + group);
    if (span[0] == unsetPosition)
        return Text();
    return m_page->textOf({span[0], span[1]});
}

int PageMatcher::subMatchCount() const
{
    return matchCount() == 0 ? 0 : static_cast<int>(m_groupCount);
}

} // namespace zv
