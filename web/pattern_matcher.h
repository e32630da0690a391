#pragma once
// Runs one regular expression over one text and keeps every match. Pattern,
// subject and replacement are code page 936 text; the engine works on
// characters, so a Chinese character is one character to ".". Matches and
// groups count from 1; anything out of range gives an empty text.
//
// Dialect: letter case ignored and "^"/"$" at every line unless told
// otherwise; "." matches everything but the line feed; "\s" is space, tab,
// carriage return, line feed, form feed and vertical tab; all non-overlapping
// matches from left to right, an empty match moving the next search on by one
// character. An invalid pattern gives no matches and no message. A search
// that reaches the engine's limits ends the list there and says so (gaveUp):
// the matches before stand, what follows is unknown.

#include "text/text.h"
#include "web/codepage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zv {

// A pattern compiled for the engine, kept while the same pattern runs again.
struct CompiledPattern;

// Whether a pattern compiles in the matcher's dialect, and if not why.
struct PatternCheck
{
    bool compiles = false;
    // The capturing groups of a pattern that compiles.
    int groupCount = 0;
    // Whether a match may be empty (as far as the engine can tell, which errs
    // towards yes).
    bool canMatchEmpty = false;
    // The engine's reason for refusing the pattern, and the character (from 1)
    // of the pattern where it stopped.
    std::string error;
    std::size_t position = 0;
};

// Compiles pattern as PatternMatcher::execute would, without searching.
PatternCheck checkPattern(const Text& pattern, bool caseSensitive = false, bool singleLine = false);

class PatternMatcher
{
public:
    // Backtracking steps one search may take before it gives up. A search that
    // gives up ends the list of matches, so a pathological page cannot freeze
    // the window; the patterns the program runs over real pages stay far below.
    static constexpr std::uint32_t workLimit = 5'000'000;

    // Lowers the work limit of every search on this thread while it lives,
    // so that a test can make an ordinary page too much for a pattern.
    class ScopedWorkLimit
    {
    public:
        explicit ScopedWorkLimit(std::uint32_t limit);
        ~ScopedWorkLimit();
        ScopedWorkLimit(const ScopedWorkLimit&) = delete;
        ScopedWorkLimit& operator=(const ScopedWorkLimit&) = delete;
    };

    PatternMatcher();
    ~PatternMatcher();
    PatternMatcher(const PatternMatcher& other);
    PatternMatcher& operator=(const PatternMatcher& other);
    PatternMatcher(PatternMatcher&& other) noexcept;
    PatternMatcher& operator=(PatternMatcher&& other) noexcept;

    // A new object sharing this one's pattern and matches, with its own copy of
    // the subject.
    PatternMatcher copy() const;

    // Runs pattern over subject, replacing the previous pattern and matches.
    // Always returns true.
    bool execute(const Text& pattern, const Text& subject, bool caseSensitive = false, bool singleLine = false);

    // The pattern of the last execute; empty before any.
    Text patternText() const;

    // The subject with every match replaced. In the replacement, "$1".."$99"
    // stand for a group, "$&" for the match, "$`" and "$'" for the text before
    // and after it, "$$" for "$". Empty before any execute or after an invalid
    // pattern.
    Text replaceAll(const Text& replacement) const;

    int matchCount() const;
    Text matchText(int match) const;
    // Groups count from 1 (0 is no group: empty). A group that took no part in
    // the match gives an empty text.
    Text subMatchText(int match, int group) const;
    // The number of capturing groups of the pattern; 0 when nothing matched.
    int subMatchCount() const;
    // The last execute reached a limit of the engine (work, depth, memory)
    // and its list of matches may lack some: the subject was not searched
    // whole.
    bool gaveUp() const;

private:
    struct Matches;

    Text spanText(int match, int group) const;

    std::shared_ptr<const CompiledPattern> m_engine;
    std::shared_ptr<const Matches> m_matches;
    Text m_subjectText;
};

// The same search over a page form, in place: over the whole page, or over a
// range of it (one result block) as if that range were the whole subject.
// Results, dialect and limits are PatternMatcher's over the page's code page
// text; the matches are kept as ranges of the form, and a text is cut out of
// the page only when asked for. The page must outlive the matches.
class PageMatcher
{
public:
    bool execute(const Text& pattern, const PageForm& page, bool caseSensitive = false, bool singleLine = false);
    // A range beyond the page gives no matches.
    bool execute(const Text& pattern, const PageForm& page, PageRange within, bool caseSensitive = false,
                 bool singleLine = false);

    int matchCount() const;
    // The range of a match in the form; an empty range at 0 out of range.
    PageRange matchRange(int match) const;
    Text matchText(int match) const;
    // Groups count from 1, as PatternMatcher's.
    Text subMatchText(int match, int group) const;
    int subMatchCount() const;
    // As PatternMatcher's: the range was not searched whole.
    bool gaveUp() const { return m_gaveUp; }

private:
    Text spanText(int match, std::uint32_t group) const;

    std::shared_ptr<const CompiledPattern> m_engine;
    const PageForm* m_page = nullptr;
    std::uint32_t m_groupCount = 0;
    // 2 * (groupCount + 1) form positions per match, as PatternMatcher keeps
    // subject positions.
    std::vector<std::uint32_t> m_spans;
    bool m_gaveUp = false;
};

} // namespace zv
