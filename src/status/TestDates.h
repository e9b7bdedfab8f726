#pragma once

// Battery test dates, written "yyyymmdd".

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

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
