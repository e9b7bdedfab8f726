#include "config/SystemSettingsPayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

namespace zelt {

std::string SystemSettingsPayload(const SystemSettingsValues& v, const SystemSettingsReport& r)
{
    // Values in field order; the fixed fields are the controller's defaults.
    std::string p;
    p += NumberRow("FL Volt", 3, v.cbFL, r.floatVolt, [&] { return Chosen("FL Volt", v.floatVolt); });
    p += "565";
    p += NumberRow("Charge Limit", 3, v.cbCH_Limit, r.chargeLimit,
                   [&] { return v.chargeLimitOff ? 0 : TypedWhole(v.chargeLimitText); });
    p += NumberRow("Charge Mode", 1, v.cbCH_Mode, r.chargeMode, [&] { return Chosen("Charge Mode", v.chargeMode); });
    p += "0";
    p += NumberRow("Boost Entry", 1, v.cbBoost_En, r.boostEntry, [&] { return Chosen("Boost Entry", v.boostEntry); });
    p += "000" "000" "000" "000";
    p += NumberRow("Open Volt", 3, v.cbLVD, r.lvdOpenVolt, [&] { return Chosen("Open Volt", v.lvdOpenVolt); });
    p += NumberRow("Delay Time", 3, v.cbLVD_T, r.lvdDelay, [&] { return TypedWhole(v.lvdDelayText); });
    p += "000" "000";
    p += NumberRow("AC Fail Mode", 1, v.cbAF, r.acFailMode, [&] { return Chosen("AC Fail Mode", v.acFailMode); });
    p += "000";
    p += NumberRow("DISCH. Time", 3, v.cbDCHT, r.dischargeTime, [&] { return TypedWhole(v.dischargeTimeText); });
    p += NumberRow("DISCH. ALARM", 3, v.cbDCHARM, r.dischargeAlarmVolt,
                   [&] { return Chosen("DISCH. ALARM", v.dischargeAlarmVolt); });
    p += NumberRow("DISCH. Abort", 3, v.cbDCHABT, r.dischargeAbortVolt,
                   [&] { return Chosen("DISCH. Abort", v.dischargeAbortVolt); });
    p += ApplyMaskDigits({v.cbFL, v.cbEQ, v.cbCH_Limit, v.cbCH_Mode,      //
                          false, v.cbBoost_En, v.cbEQ_A, v.cbEQ_End_A,    //
                          false, v.cbEQ_Day, v.cbAF, v.cbEQT,             //
                          v.cbLVD, v.cbLVD_T, v.cbAFD_V, v.cbAFD_T,       //
                          v.cbDCHT, v.cbDCHARM, v.cbDCHABT, false});
    return p;
}

} // namespace zelt
