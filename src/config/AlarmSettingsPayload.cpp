#include "config/AlarmSettingsPayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

namespace zelt {

std::int32_t LowTempCode(std::int32_t celsius)
{
    return celsius >= 0 ? celsius : 20 - celsius;
}

std::string AlarmSettingsPayload(const AlarmSettingsValues& v)
{
    std::string p;
    p += FixedField("DC Output High Volt", Chosen("DC Output High Volt", v.dcHighVolt), 3);
    p += FixedField("DC Output Low Volt", Chosen("DC Output Low Volt", v.dcLowVolt), 3);
    p += FixedField("BATT Low Volt", Chosen("BATT Low Volt", v.battLowVolt), 3);
    p += FixedField("DC OV ShutDown", Chosen("DC OV ShutDown", v.ovShutdownVolt), 3);
    p += FixedField("Batt.1 High Temp", Chosen("Batt.1 High Temp", v.batt1HighTemp), 3);
    p += FixedField("Batt.1 Low Temp", v.batt1LowCode, 3);
    p += ApplyMaskDigits({v.cbDCOV, v.cbDCLV, v.cbBAT_LV, v.cbDCOV_SD,
                          v.rgBR1, v.rgBF1, v.rgBR2, v.rgBF2,
                          v.rgBPB, false, v.rgAC1, v.rgAC2,
                          v.rgRM1, v.rgRM2, v.rgRM3, v.rgRM4,
                          v.cbBHT, v.cbBLT, v.cbBHT2, v.cbBLT2});
    p += FixedField("Batt.2 High Temp", Chosen("Batt.2 High Temp", v.batt2HighTemp), 3);
    p += FixedField("Batt.2 Low Temp", v.batt2LowCode, 3);
    return p;
}

} // namespace zelt
