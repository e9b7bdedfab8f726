#pragma once

// The system settings command 'O': nineteen setting fields, then five apply
// masks. Lists read by their position give a value only when an entry is
// chosen; lists read by their text give that text. Only ticked rows send
// the dialog's values; the others carry what the controller reported.

#include <cstdint>
#include <optional>
#include <string>

namespace zelt {

struct SystemSettingsValues {
    std::optional<std::int32_t> floatVolt;   // tenths of a volt
    bool chargeLimitOff = false;             // the OFF/ON group on "OFF"
    std::string chargeLimitText;             // amperes as typed or picked
    std::optional<std::int32_t> chargeMode;  // 0 float, 1 boost
    std::optional<std::int32_t> boostEntry;  // 1 = 10 % .. 3 = 30 %
    std::optional<std::int32_t> lvdOpenVolt; // tenths of a volt
    std::string lvdDelayText;                // seconds
    std::optional<std::int32_t> acFailMode;  // 0 off, 1 on
    std::string dischargeTimeText;           // minutes
    std::optional<std::int32_t> dischargeAlarmVolt;
    std::optional<std::int32_t> dischargeAbortVolt;

    // Apply boxes.
    bool cbFL = false, cbEQ = false, cbCH_Limit = false, cbCH_Mode = false;
    bool cbBoost_En = false, cbEQ_A = false, cbEQ_End_A = false;
    bool cbEQ_Day = false, cbAF = false, cbEQT = false;
    bool cbLVD = false, cbLVD_T = false, cbAFD_V = false, cbAFD_T = false;
    bool cbDCHT = false, cbDCHARM = false, cbDCHABT = false;
};

// What the controller last reported for the rows the dialog reads, in the
// payload's terms; all empty before the first status record.
struct SystemSettingsReport {
    std::optional<std::int32_t> floatVolt, chargeLimit, chargeMode, boostEntry, lvdOpenVolt, lvdDelay;
    std::optional<std::int32_t> acFailMode, dischargeTime, dischargeAlarmVolt, dischargeAbortVolt;
};

// The payload behind 'O' (54 characters). For a ticked row, throws
// EConvertError for a typed text that is no whole number and ERefused for a
// missing choice or a number that does not fit its field.
std::string SystemSettingsPayload(const SystemSettingsValues& v, const SystemSettingsReport& reported = {});

} // namespace zelt
