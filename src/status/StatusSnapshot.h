#pragma once

// The values kept from the latest status records. Written only by the status
// decoders, read by the settings dialogs when they open. Voltages are in
// tenths of a volt, currents in whole amperes. Arrays indexed by rectifier
// unit or module hold units 1 to 4 at [1] to [4]; [0] is unused.

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace zelt {

struct StatusSnapshot {
    // From the 'R' record, head.
    std::string BattCurrentSign;
    std::int32_t BattCurrent = 0;
    std::int32_t FloatVolt = 0;
    std::int32_t EqualizeVolt = 0;
    std::int32_t OperatingVolt = 0;
    std::int32_t ChargeLimit = 0;
    std::int32_t ChargeMode = 0;
    std::int32_t DischargeTestOn = 0;
    std::int32_t TempCompOn = 0;
    std::int32_t EqChargeCurrent = 0;
    std::int32_t EqEndCurrent = 0;
    std::uint8_t InitialChargeActive = 0;
    std::int32_t InitialChargeState = 0;
    std::int32_t DcHighAlarmVolt = 0;
    std::int32_t DcLowAlarmVolt = 0;
    std::int32_t BattLowAlarmVolt = 0;
    std::int32_t OvShutdownVolt = 0;
    std::int32_t LvdOpenVolt = 0;
    std::int32_t LvdDelay = 0;
    std::int32_t AcFailDropVolt = 0;
    std::int32_t BattTypeIndex = 0;
    std::int32_t AcFailMode = 0;
    std::int32_t DischargeTime = 0;
    std::int32_t DischargeAlarmVolt = 0;
    std::int32_t DischargeAbortVolt = 0;
    // Measurements: temperatures in signed tenths of a degree, block voltages
    // of battery 1 left, 1 right, 2 left, 2 right.
    std::int32_t DcVolt = 0;
    std::int32_t LoadCurrent = 0;
    std::int32_t Batt1Temp = 0;
    std::int32_t RackTemp = 0;
    std::array<std::int32_t, 4> BlockVolt{};
    // The controller's clock as sent ("yyyymmdd", "hhmmss") and its MAC
    // address (twelve characters as sent).
    std::string ControllerDate;
    std::string ControllerTime;
    std::string Mac;

    // From the 'R' record, tail.
    std::int32_t Batt1HighTemp = 0;
    std::int32_t Batt1LowTemp = 0;
    std::int32_t Batt2HighTemp = 0;
    std::int32_t Batt2LowTemp = 0;
    std::int32_t ExtBattStrings = 1;
    std::int32_t ManualTestActive = 0;
    std::int32_t BoostEntry = 1;
    std::int32_t LowVoltSelectA = 0;
    std::int32_t LowVoltSelectB = 0;
    std::int32_t HealthValid = 0;
    std::uint8_t BattTestMode = 0; // bit 3 of the battery charge fault bits
    // The battery test bookkeeping as sent: last test "yyyymmdd", the
    // interval code and the health verdict code ("1" to "3").
    std::string LastTestDate;
    std::string TestInterval;
    std::string HealthVerdict;

    // From the 'K' record.
    std::uint8_t BR1Fitted = 0;
    std::uint8_t BF1Fitted = 0;
    std::uint8_t BR2Fitted = 0;
    std::uint8_t BF2Fitted = 0;
    std::uint8_t Batt1SensorFitted = 0;
    std::array<std::uint8_t, 5> ModuleIn{};
    std::uint8_t AcUpperIn = 0;
    std::uint8_t AcLowerIn = 0;
    std::array<std::uint8_t, 5> UnitPresent{0, 1, 1, 1, 1};

    // From the 'U' record.
    std::array<std::int32_t, 5> UnitDcVolt{};
    std::array<std::int32_t, 5> UnitCurrent{}; // tenths of an ampere
    std::array<std::string, 5> UnitTemp;       // the temperature text as sent
    std::array<std::int32_t, 5> UnitAcVolt{0, 220, 220, 220, 220};
    std::array<std::uint8_t, 5> UnitAcFail{};

    // From the 'K' and 'U' records: every alarm lamp by name, true while red.
    std::map<std::string, bool, std::less<>> Alarms;
};

// The battery current with its sign: negative while discharging.
std::int32_t SignedBattCurrent(const StatusSnapshot& s);

// True while an AC input has failed (either AC group or the AC-fail contact).
bool AcFailAlarm(const StatusSnapshot& s);

} // namespace zelt
