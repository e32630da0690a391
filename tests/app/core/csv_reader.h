#pragma once
// A strict RFC 4180 reader for the tests: records end in CR LF, a quoted
// field may hold commas, CR, LF and doubled quotes. Anything else (a bare
// LF, a quote inside an unquoted field, text after a closing quote, an
// unterminated quote) makes it fail.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::test {

using CsvTable = std::vector<std::vector<std::string>>;

std::optional<CsvTable> readCsv(std::string_view bytes);

} // namespace zv::test
