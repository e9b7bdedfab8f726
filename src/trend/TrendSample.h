#pragma once

// One recorded 'R' record of a plant, in SI units, as the session store keeps
// it and the discharge analysis reads it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zelt {

// What a discharge is measured against: reaching EndVolt makes it complete,
// and its capacity is compared with the rated capacity of the strings.
struct CapacityBasis {
    double EndVolt = 0;      // V
    std::int32_t Strings = 0;
    bool FirstType = true;   // 86 Ah a string, else 155 Ah
    std::int32_t RatedAh = 0; // 0: from Strings and FirstType
};

struct TrendSample {
    std::int64_t TimeMs = 0;      // PC time, UTC milliseconds since the epoch
    // A count of milliseconds that never steps (sleep included), comparable
    // only within one recording session.
    std::int64_t MonoMs = 0;
    std::string Session;          // the recording session; empty in files written before sessions
    std::string Port;             // the port the record came in on
    double DcVolt = 0;            // V
    double LoadCurrent = 0;       // A
    double BattCurrent = 0;       // A, negative while the battery discharges
    double Batt1Temp = 0;         // degrees C; meaningless unless Batt1TempValid
    bool Batt1TempValid = false;  // false while battery 1's sensor is not fitted
    bool Batt1SensorFault = false; // the sensor's lamp was red
    double RackTemp = 0;          // degrees C, rack or battery 2
    std::array<double, 4> BlockVolt{}; // V: battery 1 left, 1 right, 2 left, 2 right
    // The signs of a battery test: the charge mode code (6 while discharging),
    // the battery test mode bit of the charge fault bits, the manual test flag.
    std::int32_t ChargeMode = 0;
    bool TestModeBit = false;
    bool ManualTest = false;
    bool AcFail = false;          // an AC-fail alarm was on
    std::optional<CapacityBasis> Basis; // as the recorder saw it; none in older files
    std::string ControllerDate;   // "yyyymmdd" as sent
    std::string ControllerTime;   // "hhmmss" as sent
};

} // namespace zelt
