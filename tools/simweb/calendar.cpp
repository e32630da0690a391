#include "tools/simweb/calendar.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace zv::simweb {

std::optional<Day> parseDay(std::string_view iso)
{
    int y = 0;
    unsigned m = 0;
    unsigned d = 0;
    char tail = 0;
    const std::string text(iso);
    if (std::sscanf(text.c_str(), "%d-%u-%u%c", &y, &m, &d, &tail) != 3) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd {std::chrono::year {y}, std::chrono::month {m}, std::chrono::day {d}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return static_cast<Day>(std::chrono::sys_days {ymd}.time_since_epoch().count());
}

namespace {
std::chrono::year_month_day civil(Day day)
{
    return std::chrono::year_month_day {std::chrono::sys_days {std::chrono::days {day}}};
}
} // namespace

std::string dayText(Day day)
{
    const auto ymd = civil(day);
    return std::to_string(static_cast<int>(ymd.year())) + "-" + std::to_string(static_cast<unsigned>(ymd.month())) + "-"
        + std::to_string(static_cast<unsigned>(ymd.day()));
}

std::string isoDayText(Day day)
{
    const auto ymd = civil(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return buf;
}

Day localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const std::chrono::year_month_day ymd {std::chrono::year {local.tm_year + 1900},
                                           std::chrono::month {static_cast<unsigned>(local.tm_mon + 1)},
                                           std::chrono::day {static_cast<unsigned>(local.tm_mday)}};
    return static_cast<Day>(std::chrono::sys_days {ymd}.time_since_epoch().count());
}

} // namespace zv::simweb
