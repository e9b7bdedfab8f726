#include "status/TestDates.h"

#include "protocol/FieldText.h"

namespace zelt {

namespace {

using Date = CalendarDate;

std::string_view Slice(std::string_view text, std::size_t pos, std::size_t n)
{
    return pos < text.size() ? text.substr(pos, n) : std::string_view();
}

[[noreturn]] void ThrowInvalidDate()
{
    throw EConvertError("Invalid argument to date encode");
}

// Year from characters 1 to 4, month from 5 and 6, day from 7 and 8.
Date SplitDate(std::string_view text)
{
    return Date{StrToInt(Slice(text, 0, 4)), StrToInt(Slice(text, 4, 2)), StrToInt(Slice(text, 6, 2))};
}

Date ReadDate(std::string_view text)
{
    const Date date = SplitDate(text);
    if (!IsRealDate(date))
        ThrowInvalidDate();
    return date;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DayNumber(const Date& d)
{
    const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = y / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t m = d.month;
    const std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

bool IsLeapYear(std::int32_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month)
{
    static constexpr std::int32_t monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return monthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsRealDate(const CalendarDate& d)
{
    return d.year >= 1 && d.year <= 9999 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

CalendarDate AddTestYears(const CalendarDate& date, std::int32_t years)
{
    CalendarDate next = date;
    // Wide enough for any year a conversion can give, so that the sum cannot overflow.
    const std::int64_t year = std::int64_t{date.year} + years;
    next.year = year < 0 || year > 9999 ? 0 : static_cast<std::int32_t>(year);
    if (!IsRealDate(next))
        next.day = 28;
    if (!IsRealDate(next))
        ThrowInvalidDate();
    return next;
}

std::string NextTestDate(std::string_view lastTestDate, std::string_view intervalCode)
{
    const Date next = AddTestYears(SplitDate(lastTestDate), intervalCode == "2" ? 2 : 1);
    return ZeroFill(next.year, 4) + ZeroFill(next.month, 2) + ZeroFill(next.day, 2);
}

std::int32_t DaysUntilTest(std::string_view today, std::string_view nextTestDate)
{
    const std::int64_t from = DayNumber(ReadDate(today));
    const std::int64_t to = DayNumber(ReadDate(nextTestDate));
    if (from >= to)
        return 100;
    return static_cast<std::int32_t>(to - from);
}

std::string DashedDate(std::string_view date)
{
    return std::string(Slice(date, 0, 4)) + "-" + std::string(Slice(date, 4, 2)) + "-" + std::string(Slice(date, 6, 2));
}

} // namespace zelt
