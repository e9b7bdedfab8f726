#pragma once

// One recorded 'R' record of a plant, in SI units, as the session store keeps
// it and the discharge analysis reads it.

#include <array>
#include <cstdint>
#include <string>

namespace zelt {

struct TrendSample {
    std::int64_t TimeMs = 0;      // PC time, UTC milliseconds since the epoch
    double DcVolt = 0;            // V
    double LoadCurrent = 0;       // A
    double BattCurrent = 0;       // A, negative while the battery discharges
    double Batt1Temp = 0;         // degrees C; meaningless unless Batt1TempValid
    bool Batt1TempValid = false;  // false while battery 1's sensor is not fitted
    double RackTemp = 0;          // degrees C, rack or battery 2
    std::array<double, 4> BlockVolt{}; // V: battery 1 left, 1 right, 2 left, 2 right
    bool TestFlag = false;        // the discharge test or manual test flag was on
    bool AcFail = false;          // an AC-fail alarm was on
    std::string ControllerDate;   // "yyyymmdd" as sent
    std::string ControllerTime;   // "hhmmss" as sent
};

} // namespace zelt
