#pragma once
// The keyword index service as the index lookup asks it: the address and
// request body of a lookup, and the picture address its answer page gives.

#include "text/text.h"

namespace zv {

class PageForm;
class PageMatcher;

// The address the index service is asked at, and the POST body for keyword.
Text indexServiceAddress();
Text indexRequestBody(const Text& keyword);

// The picture address the service's answer page gives for keyword: the row
// whose keyword cell equals keyword exactly; empty when no row does. The page
// is searched in place, each row as a range of its form; a lookup keeps the
// form and the matchers from keyword to keyword. Empty too when a search gave
// up at its limits: the matcher that gave up says so (gaveUp()).
Text indexPictureAddress(const PageForm& answerPage, const Text& keyword, PageMatcher& rowMatcher,
                         PageMatcher& cellMatcher);
// The same over the page's GBK text, each row searched as a text of its own.
Text indexPictureAddress(const Text& answerPage, const Text& keyword);

} // namespace zv
