#include "store/cell.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zv::sqlite {
namespace {

bool daysInMonthOk(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

} // namespace

Cell Cell::makeText(std::string s)
{
    Cell c;
    c.type = Type::Text;
    c.text = std::move(s);
    return c;
}

Cell Cell::makeInteger(std::int64_t v)
{
    Cell c;
    c.type = Type::Integer;
    c.integer = v;
    return c;
}

Cell Cell::makeReal(double v)
{
    Cell c;
    c.type = Type::Real;
    c.real = v;
    return c;
}

ValueKind kindOfDeclaredType(const char* declared)
{
    if (declared == nullptr || *declared == '\0') {
        return ValueKind::Expression;
    }
    std::string upper = upperAscii(declared);
    upper = upper.substr(0, upper.find('('));
    if (upper == "DATETIME" || upper == "DATE" || upper == "TIME" || upper == "TIMESTAMP") {
        return ValueKind::DateTime;
    }
    if (upper == "FLOAT4" || upper == "SINGLE") {
        return ValueKind::Single;
    }
    if (upper == "BIT") {
        return ValueKind::Bit;
    }
    if (upper.find("INT") != std::string::npos) {
        return ValueKind::Integer;
    }
    if (upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos
        || upper.find("TEXT") != std::string::npos) {
        return ValueKind::Text;
    }
    if (upper.find("REAL") != std::string::npos || upper.find("FLOA") != std::string::npos
        || upper.find("DOUB") != std::string::npos) {
        return ValueKind::Double;
    }
    return ValueKind::Expression;
}

std::optional<DateTime> parseDateText(std::string_view s)
{
    std::size_t i = 0;
    auto number = [&](int minDigits, int maxDigits, int& out) {
        std::size_t start = i;
        int value = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && static_cast<int>(i - start) < maxDigits) {
            value = value * 10 + (s[i] - '0');
            ++i;
        }
        out = value;
        return static_cast<int>(i - start) >= minDigits;
    };
    DateTime dt;
    if (!number(4, 4, dt.year) || i >= s.size() || (s[i] != '-' && s[i] != '/')) {
        return std::nullopt;
    }
    const char sep = s[i++];
    if (!number(1, 2, dt.month) || i >= s.size() || s[i] != sep) {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.day) || !daysInMonthOk(dt.year, dt.month, dt.day)) {
        return std::nullopt;
    }
    if (i == s.size()) {
        return dt;
    }
    if (s[i] != ' ' && s[i] != 'T') {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.hour) || i >= s.size() || s[i] != ':') {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.minute)) {
        return std::nullopt;
    }
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!number(1, 2, dt.second)) {
            return std::nullopt;
        }
    }
    if (i != s.size() || dt.hour > 23 || dt.minute > 59 || dt.second > 59) {
        return std::nullopt;
    }
    return dt;
}

std::string canonicalDateText(const DateTime& dt)
{
    char buf[32];
    if (dt.hour == 0 && dt.minute == 0 && dt.second == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", dt.year, dt.month, dt.day);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day, dt.hour, dt.minute,
                      dt.second);
    }
    return buf;
}

std::optional<std::int64_t> parseIntegerText(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseRealText(const std::string& s)
{
    if (s.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<Cell> cellForText(ValueKind kind, const std::string& text)
{
    if (text.empty()) {
        return Cell {};
    }
    switch (kind) {
    case ValueKind::Integer:
    case ValueKind::Bit:
        if (auto v = parseIntegerText(text)) {
            return Cell::makeInteger(kind == ValueKind::Bit && *v != 0 ? -1 : *v);
        }
        return std::nullopt;
    case ValueKind::Single:
    case ValueKind::Double:
        if (auto v = parseRealText(text)) {
            return Cell::makeReal(*v);
        }
        return std::nullopt;
    case ValueKind::DateTime:
        if (auto dt = parseDateText(text)) {
            return Cell::makeText(canonicalDateText(*dt));
        }
        return std::nullopt;
    case ValueKind::Text:
    case ValueKind::Expression:
        return Cell::makeText(text);
    }
    return std::nullopt;
}

Text readableText(const Cell& cell, ValueKind kind)
{
    char buf[64];
    switch (cell.type) {
    case Cell::Type::Null:
        return {};
    case Cell::Type::Integer:
        return std::to_string(cell.integer);
    case Cell::Type::Real:
        std::snprintf(buf, sizeof buf, kind == ValueKind::Single ? "%.4f" : "%.8f", cell.real);
        return buf;
    case Cell::Type::Text:
        if (kind == ValueKind::DateTime) {
            if (auto dt = parseDateText(cell.text)) {
                std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt->year, dt->month, dt->day, dt->hour,
                              dt->minute, dt->second);
                return buf;
            }
        }
        return utf8ToGbkString(cell.text);
    case Cell::Type::Blob:
        return cell.text;
    }
    return {};
}

std::optional<int> readableInteger(const Cell& cell, ValueKind kind)
{
    if (kind != ValueKind::Integer && kind != ValueKind::Expression) {
        return std::nullopt;
    }
    if (cell.type == Cell::Type::Null) {
        return 0;
    }
    if (cell.type != Cell::Type::Integer || cell.integer < std::numeric_limits<int>::min()
        || cell.integer > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(cell.integer);
}

} // namespace zv::sqlite
