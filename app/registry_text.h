#pragma once
// Small helpers shared by the registries.

#include <QString>

namespace zv {

// A UTF-8 literal as a QString (the program's messages are written in UTF-8 source).
inline QString uiText(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace zv
