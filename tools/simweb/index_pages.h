#pragma once
// The pages of the keyword-index service: the answer table for a keyword, one
// row <tr ... id="indexN"> per keyword with a link to its index picture, and
// the picture paths those links carry.

#include "tools/simweb/world.h"

#include <string>

namespace zv::simweb {

// Index service answer for keyword and the path of each row's picture.
std::string indexAnswerPage(const World& world, const std::string& keyword, Day day);
std::string picturePath(const std::string& keyword, PictureFormat format, Day day);
// Reads a picture path back into keyword, format and day.
bool parsePicturePath(const std::string& path, std::string& keyword, PictureFormat& format, Day& day);

} // namespace zv::simweb
