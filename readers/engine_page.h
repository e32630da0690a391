#pragma once
// Telling the search engine's own answers from its result pages. Both work on
// a page as the readers hold it: the body converted to code page 936 text
// (utf8ToGbk), and the host the exchange ended on (HttpResult::finalHost).
// The forms without a profile read the built-in engine's pages.

#include "text/text.h"

namespace zv {

struct EngineProfile;

// Whether the engine answered with its security check instead of results:
// - the exchange ended on another host than the engine's (a redirection to
//   its check page), or
// - the page's <title> says "安全验证" and is no result list's title (those
//   end in "_百度搜索", which a keyword such as "安全验证" would match), or
// - the page asks for a "验证码" and holds neither a result block ("<table")
//   nor the "no results" notice, so that results or a notice about the
//   keyword "验证码" itself never count.
// finalHost empty means no host is known: only the page decides.
// engineHost is compared with finalHost letter case aside.
bool isVerificationPage(const Text& page, const Text& finalHost, const Text& engineHost);
// The same with the profile's marks (EngineProfile::verification) and host.
bool isVerificationPage(const EngineProfile& engine, const Text& page, const Text& finalHost);

// Whether the page carries the engine's notice that nothing matched the
// keyword: "没有找到与" and, after it, "相关的网页", as in
// "很抱歉，没有找到与“关键词”相关的网页。". The readers ask only about pages that
// hold no result block.
bool isNoResultsNotice(const Text& page);
// The same with the profile's texts, each found after the one before it.
bool isNoResultsNotice(const EngineProfile& engine, const Text& page);

} // namespace zv
