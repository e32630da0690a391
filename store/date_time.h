#pragma once
// A date and time of day as the store reads it from a date-time column.

namespace zv {

struct DateTime
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

} // namespace zv
