#pragma once
// The program's fixed texts are written in the source as UTF-8 and used as
// code page 936.

#include "text/text.h"

#include <string_view>

namespace zv {

// A fixed text of this program (UTF-8 in the source) as GBK Text.
Text gbk(std::string_view utf8);

} // namespace zv
