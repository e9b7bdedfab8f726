#pragma once

// Date texts of the battery test windows. Their panels show dates as
// "yyyy/mm/dd" or "yyyy-mm-dd" and are read back by position.

#include "status/TestDates.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

// Year from characters 1 to 4, month from 6 and 7, day from 9 and 10, the
// separators whatever they are. Throws EConvertError for a part that is no number.
CalendarDate ReadPanelDate(std::string_view text);

// "yyyy-mm-dd".
std::string DashedText(const CalendarDate& date);

// True when a lies strictly before b.
bool IsBefore(const CalendarDate& a, const CalendarDate& b);

// The day held within the month: a calendar whose month or year changes
// keeps its day, or the month's last day when that day does not exist.
std::int32_t ClampDay(std::int32_t year, std::int32_t month, std::int32_t day);

} // namespace zelt
