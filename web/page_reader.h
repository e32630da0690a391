#pragma once
// The one pass that reads a UTF-8 body into code page 936 text, and for a page
// form also into the UTF-8 form of that text with its position checkpoints:
// runs of ASCII are copied, other characters go through the table of code
// page 936, and only a base character with combining marks after it goes
// through composition.

#include "web/codepage.h"

#include <string_view>

namespace zv {

// The text utf8ToGbk gives for a body.
Text readPageText(std::string_view utf8);

// Reads a body into a page form, in the room the form already has.
void readPageForm(std::string_view utf8, PageForm& form);

} // namespace zv
