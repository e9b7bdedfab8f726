#include "battery/BattDates.h"

#include "protocol/FieldText.h"

#include <algorithm>
#include <tuple>

namespace zelt {

namespace {

std::string_view Slice(std::string_view text, std::size_t pos, std::size_t n)
{
    return pos < text.size() ? text.substr(pos, n) : std::string_view();
}

} // namespace

CalendarDate ReadPanelDate(std::string_view text)
{
    return CalendarDate{StrToInt(Slice(text, 0, 4)), StrToInt(Slice(text, 5, 2)), StrToInt(Slice(text, 8, 2))};
}

std::string DashedText(const CalendarDate& date)
{
    return ZeroFill(date.year, 4) + "-" + ZeroFill(date.month, 2) + "-" + ZeroFill(date.day, 2);
}

bool IsBefore(const CalendarDate& a, const CalendarDate& b)
{
    return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

std::int32_t ClampDay(std::int32_t year, std::int32_t month, std::int32_t day)
{
    return std::min(day, DaysInMonth(year, month));
}

} // namespace zelt
