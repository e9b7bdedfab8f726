#include "config/MeasurePayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

namespace zelt {

const std::array<const char*, 6> MeasureRowCaptions = {
    "DC Volt", "Load Amp", "Batt.Charge Amp", "Batt. Discharge Amp", "Batt. Bank#1 Volt", "Batt. Bank#2 Volt",
};

std::string MeasurePayload(const MeasureValues& v)
{
    std::string p;
    // Nothing is reported for these rows: an unticked one carries the dialog's value.
    for (std::size_t i = 0; i < v.digits.size(); ++i)
        p += NumberRow(MeasureRowCaptions[i], 4, v.apply[i], std::nullopt, [&] { return TypedWhole(v.digits[i]) + 1; });
    const auto& a = v.apply;
    p += ApplyMaskDigits({a[0], a[1], a[2], a[3], a[4], a[5], false, false});
    return p;
}

} // namespace zelt
