#pragma once
// Day arithmetic shared by the history and curve windows: the clock they read,
// the day label under a curve point and the two forms of day key matched
// against keydate.

#include "store/store.h"
#include "text/text.h"

#include <QDate>
#include <QString>

namespace zv {

// Today's date as the curve windows see it: the system clock, unless a date
// has been fixed (tests pin the calendar this way; an invalid date unpins it).
QDate chartToday();
void setChartToday(const QDate& date);

// Month and day joined by ".", without leading zeros: 12.31, 1.5.
QString dayLabel(const QDate& date);

// Year-month-day without padding (2010-1-5), as the overview curve sends it.
Text unpaddedDayKey(const QDate& date);

// Year-month-day with two-digit month and day (2010-01-05), as the rank curve sends it.
Text paddedDayKey(const QDate& date);

// 2009年1月5日: year, month and day in decimal digits without leading zeros.
QString chineseDayText(const DateTime& date);

} // namespace zv
