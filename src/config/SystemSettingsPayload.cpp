#include "config/SystemSettingsPayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

namespace zelt {

std::string SystemSettingsPayload(const SystemSettingsValues& v)
{
    // Values in field order; the fixed fields are the controller's defaults.
    std::string p;
    p += FixedField("FL Volt", Chosen("FL Volt", v.floatVolt), 3);
    p += "565";
    p += FixedField("Charge Limit", v.chargeLimitOff ? 0 : TypedWhole(v.chargeLimitText), 3);
    p += FixedField("Charge Mode", Chosen("Charge Mode", v.chargeMode), 1);
    p += "0";
    p += FixedField("Boost Entry", Chosen("Boost Entry", v.boostEntry), 1);
    p += "000" "000" "000" "000";
    p += FixedField("Open Volt", Chosen("Open Volt", v.lvdOpenVolt), 3);
    p += FixedField("Delay Time", TypedWhole(v.lvdDelayText), 3);
    p += "000" "000";
    p += FixedField("AC Fail Mode", Chosen("AC Fail Mode", v.acFailMode), 1);
    p += "000";
    p += FixedField("DISCH. Time", TypedWhole(v.dischargeTimeText), 3);
    p += FixedField("DISCH. ALARM", Chosen("DISCH. ALARM", v.dischargeAlarmVolt), 3);
    p += FixedField("DISCH. Abort", Chosen("DISCH. Abort", v.dischargeAbortVolt), 3);
    p += ApplyMaskDigits({v.cbFL, v.cbEQ, v.cbCH_Limit, v.cbCH_Mode,      //
                          false, v.cbBoost_En, v.cbEQ_A, v.cbEQ_End_A,    //
                          false, v.cbEQ_Day, v.cbAF, v.cbEQT,             //
                          v.cbLVD, v.cbLVD_T, v.cbAFD_V, v.cbAFD_T,       //
                          v.cbDCHT, v.cbDCHARM, v.cbDCHABT, false});
    return p;
}

} // namespace zelt
