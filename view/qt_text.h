#pragma once
// The boundary between the program's code page 936 texts and Qt's strings.

#include "text/text.h"

#include <QString>

namespace zv {

QString toQString(const Text& gbk);
Text toText(const QString& s);

} // namespace zv
