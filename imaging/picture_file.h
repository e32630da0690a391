#pragma once
// Whole-file reads and writes of byte blocks.

#include "text/text.h"

#include <string>

namespace zv {

// The file's bytes; empty when it cannot be read.
ByteBlock readFileBytes(const std::string& path);

// Replaces the file's content with bytes, creating it when missing. The new
// content is written beside the file and renamed over it, so a failed write
// leaves the old content.
bool writeFileBytes(const std::string& path, const ByteBlock& bytes);

} // namespace zv
