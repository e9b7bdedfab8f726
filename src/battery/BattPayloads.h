#pragma once

// The payloads of the battery test commands, composed from plain values:
// 'G' (the test bookkeeping), 'C' (initial charge) and 'T' (the clock).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// The text's whole-number value modulo 1000 in three digits (7 gives 007,
// 1234 gives 234). Throws EConvertError when the text is no whole number.
std::string Pad3(std::string_view text);

// What the battery discharge window holds when Save is pressed. Indexes are
// -1 when the list has no item selected.
struct BattSetValues {
    std::string lastDate;      // "yyyy/mm/dd", "None" or empty
    int intervalIndex = -1;    // 0 "12", 1 "24" or "--"
    int typeIndex = -1;        // 0 "M12V90FT", 1 "M12V155FT"
    int strings = -1;          // 0, 1 or 2
    std::string previous;      // capacity texts, empty when not entered
    std::string latest;
    std::string percentRated;
    std::int32_t verdict = 0;  // 0 none, 1 good, 2 degraded, 3 low
    bool manualMessage = false;
};

// The 'G' payload: 22 characters, or 21 zeros without strings. Empty when
// the values cannot be saved (no last test date, a list without a selection,
// a negative capacity); throws EConvertError for a capacity that is no number.
std::optional<std::string> BattSetPayload(const BattSetValues& values);

// The rows checked in the initial charge dialog and its hidden options.
struct ChargeSelection {
    std::array<bool, 4> rows{};   // float, 12h EQ, 24h EQ, 72h EQ
    bool compensation = false;    // cbComp
    int tempCompIndex = -1;       // cbTemp_Comp: 0 "OFF", 1 "ON"
};

// The 'C' payload: the program digit and the options digit.
std::string ChargePayload(const ChargeSelection& selection);

// The parts of a date and time; an empty optional is a box left empty.
struct DateTimeParts {
    std::optional<std::int32_t> year, month, day, hour, minute, second;
};

// yyyymmddhhmmss, or empty when a part is missing or too long.
std::string ClockPayload(const DateTimeParts& parts);

} // namespace zelt
