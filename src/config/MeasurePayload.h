#pragma once

// The measure value command 'M': six reference values, each sent one above
// the value typed, and two apply masks.

#include <array>
#include <string>

namespace zelt {

struct MeasureValues {
    // The four digits of each masked edit, point left out, in row order:
    // DC volt, load amp, charge amp, discharge amp, bank 1 volt, bank 2 volt.
    std::array<std::string, 6> digits;
    std::array<bool, 6> apply{}; // the rows' apply boxes
};

// The row captions, in the order of MeasureValues.
extern const std::array<const char*, 6> MeasureRowCaptions;

// The payload behind 'M' (26 characters). For a ticked row, throws
// EConvertError for digits that are no whole number and ERefused for 99.99
// or 999.9, whose increment no longer fits four digits; an unticked row
// that cannot be sent carries zeros.
std::string MeasurePayload(const MeasureValues& v);

} // namespace zelt
