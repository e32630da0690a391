#pragma once
// Letter case of host names and file name extensions, ASCII only.

#include <string>

namespace zv::simweb {

inline std::string lowerAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

} // namespace zv::simweb
