#pragma once
// The simulated web's days: days since 1970-01-01 in the civil calendar, read
// from and written as the pages and scenarios write dates.

#include <optional>
#include <string>
#include <string_view>

namespace zv::simweb {

// Days since 1970-01-01 (civil calendar).
using Day = int;

std::optional<Day> parseDay(std::string_view iso);
// "2024-5-20": month and day without leading zeros, as result lines show dates.
std::string dayText(Day day);
// "2024-05-20".
std::string isoDayText(Day day);
Day localToday();

} // namespace zv::simweb
