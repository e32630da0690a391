#pragma once
// The registered sites' home pages, with the keywords they declare in their
// keywords meta tag, in UTF-8 or code page 936.

#include "tools/simweb/world.h"

#include <string>

namespace zv::simweb {

struct ServedPage
{
    std::string contentType;
    std::string body;
};

// A site's home page in the form and code page its HomePage asks for.
ServedPage homePageFor(const std::string& host, const HomePage& page);

// UTF-8 to code page 936; characters it lacks become "?".
std::string utf8ToGb(const std::string& utf8);

} // namespace zv::simweb
