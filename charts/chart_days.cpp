#include "charts/chart_days.h"

namespace zv {

using namespace Qt::StringLiterals;

namespace {

QDate& pinnedToday()
{
    static QDate date;
    return date;
}

// "0" in front, then the last two characters.
std::string twoDigits(int number)
{
    const std::string padded = "0" + std::to_string(number);
    return padded.substr(padded.size() - 2);
}

} // namespace

QDate chartToday()
{
    return pinnedToday().isValid() ? pinnedToday() : QDate::currentDate();
}

void setChartToday(const QDate& date)
{
    pinnedToday() = date;
}

QString dayLabel(const QDate& date)
{
    return QString::number(date.month()) + QLatin1Char('.') + QString::number(date.day());
}

Text unpaddedDayKey(const QDate& date)
{
    return std::to_string(date.year()) + "-" + std::to_string(date.month()) + "-" + std::to_string(date.day());
}

Text paddedDayKey(const QDate& date)
{
    return std::to_string(date.year()) + "-" + twoDigits(date.month()) + "-" + twoDigits(date.day());
}

QString chineseDayText(const DateTime& date)
{
    return QString::number(date.year) + u"年"_s + QString::number(date.month) + u"月"_s + QString::number(date.day)
        + u"日"_s;
}

} // namespace zv
