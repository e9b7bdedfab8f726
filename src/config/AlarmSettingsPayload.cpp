#include "config/AlarmSettingsPayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

namespace zelt {

namespace {

// A threshold of a list read by position: 3 digits.
std::string Threshold(const char* caption, bool applied, const std::optional<std::int32_t>& reported,
                      const std::optional<std::int32_t>& chosen)
{
    return NumberRow(caption, 3, applied, reported, [&] { return Chosen(caption, chosen); });
}

} // namespace

std::int32_t LowTempCode(std::int32_t celsius)
{
    return celsius >= 0 ? celsius : 20 - celsius;
}

std::string AlarmSettingsPayload(const AlarmSettingsValues& v, const AlarmSettingsReport& r)
{
    std::string p;
    p += Threshold("DC Output High Volt", v.cbDCOV, r.dcHighVolt, v.dcHighVolt);
    p += Threshold("DC Output Low Volt", v.cbDCLV, r.dcLowVolt, v.dcLowVolt);
    p += Threshold("BATT Low Volt", v.cbBAT_LV, r.battLowVolt, v.battLowVolt);
    p += Threshold("DC OV ShutDown", v.cbDCOV_SD, r.ovShutdownVolt, v.ovShutdownVolt);
    p += Threshold("Batt.1 High Temp", v.cbBHT, r.batt1HighTemp, v.batt1HighTemp);
    p += Threshold("Batt.1 Low Temp", v.cbBLT, r.batt1LowCode, v.batt1LowCode);
    p += ApplyMaskDigits({v.cbDCOV, v.cbDCLV, v.cbBAT_LV, v.cbDCOV_SD,
                          v.rgBR1, v.rgBF1, v.rgBR2, v.rgBF2,
                          v.rgBPB, false, v.rgAC1, v.rgAC2,
                          v.rgRM1, v.rgRM2, v.rgRM3, v.rgRM4,
                          v.cbBHT, v.cbBLT, v.cbBHT2, v.cbBLT2});
    p += Threshold("Batt.2 High Temp", v.cbBHT2, r.batt2HighTemp, v.batt2HighTemp);
    p += Threshold("Batt.2 Low Temp", v.cbBLT2, r.batt2LowCode, v.batt2LowCode);
    return p;
}

} // namespace zelt
