#pragma once

// The alarm settings command 'N': thresholds under two apply masks, and the
// contact alarm, sensor, AC input and module flags, which are always taken.
// Only ticked thresholds send the dialog's values; the others carry what the
// controller reported.

#include <cstdint>
#include <optional>
#include <string>

namespace zelt {

struct AlarmSettingsValues {
    // Thresholds of lists read by position: tenths of a volt, degrees C.
    std::optional<std::int32_t> dcHighVolt, dcLowVolt, battLowVolt, ovShutdownVolt;
    std::optional<std::int32_t> batt1HighTemp, batt2HighTemp;
    // Low-temperature codes.
    std::optional<std::int32_t> batt1LowCode, batt2LowCode;

    // Radio groups on their first item ("ON" or "IN").
    bool rgBR1 = false, rgBF1 = false, rgBR2 = false, rgBF2 = false, rgBPB = false;
    bool rgAC1 = false, rgAC2 = false, rgRM1 = false, rgRM2 = false, rgRM3 = false, rgRM4 = false;

    // Apply boxes.
    bool cbDCOV = false, cbDCLV = false, cbBAT_LV = false, cbDCOV_SD = false;
    bool cbBHT = false, cbBLT = false, cbBHT2 = false, cbBLT2 = false;
};

// The code of a low-temperature entry: t for t >= 0, 20 - t below 0.
std::int32_t LowTempCode(std::int32_t celsius);

// What the controller last reported for the thresholds, in the payload's
// terms; all empty before the first status record.
struct AlarmSettingsReport {
    std::optional<std::int32_t> dcHighVolt, dcLowVolt, battLowVolt, ovShutdownVolt;
    std::optional<std::int32_t> batt1HighTemp, batt1LowCode, batt2HighTemp, batt2LowCode;
};

// The payload behind 'N' (29 characters). Throws ERefused for a ticked
// threshold whose list shows no entry.
std::string AlarmSettingsPayload(const AlarmSettingsValues& v, const AlarmSettingsReport& reported = {});

} // namespace zelt
