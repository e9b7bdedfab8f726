#pragma once

// Battery test dates: the calendar rules, and the test dates of the status
// record, written "yyyymmdd".

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

struct CalendarDate {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
};

// Divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(std::int32_t year);

// Days of month 1 to 12 in year; 0 for any other month.
std::int32_t DaysInMonth(std::int32_t year, std::int32_t month);

// A date of the years 1 to 9999 that exists.
bool IsRealDate(const CalendarDate& date);

// The same month and day years later; a day that does not exist in the
// target month (29 February in a common year) becomes the 28th. Throws
// EConvertError "Invalid argument to date encode" when that is no date either.
CalendarDate AddTestYears(const CalendarDate& date, std::int32_t years);

// The test after lastTestDate: 2 years later for interval code "2", one year
// for any other code. A day that does not exist in the target month (29
// February in a common year) becomes the 28th. Throws EConvertError when the
// text does not convert or is not a date even on the 28th.
std::string NextTestDate(std::string_view lastTestDate, std::string_view intervalCode);

// Whole days from today to nextTestDate; 100 when today is on or after it.
// Throws EConvertError when either text is not a valid date.
std::int32_t DaysUntilTest(std::string_view today, std::string_view nextTestDate);

// "yyyymmdd" written "yyyy-mm-dd".
std::string DashedDate(std::string_view date);

} // namespace zelt
