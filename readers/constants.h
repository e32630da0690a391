#pragma once
// Fixed names of the outside world the program talks to, and the names it
// shows itself under.

namespace zv {

// Host of the search engine whose result pages the queries read.
inline constexpr const char* kSearchHost = "www.baidu.com";
// Host of the keyword-index lookup service.
inline constexpr const char* kIndexHost = "index.zeravudez.com";
// The product's home page, opened from the logo and now and then at exit.
inline constexpr const char* kHomePage = "http://www.zeravudez.com/";
// UTF-8; the caption of the main window.
inline constexpr const char* kWindowTitle = "Zeravudez综合查询工具3.6_www.zeravudez.com";
// UTF-8; the fixed credit text of status panel 2.
inline constexpr const char* kCreditText = "zeravudez.com";

} // namespace zv
