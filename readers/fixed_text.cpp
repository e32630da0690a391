#include "readers/fixed_text.h"

namespace zv {

Text gbk(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

} // namespace zv
