#include "status/AlarmStatus.h"

#include "core/Rgb.h"
#include "protocol/FieldText.h"
#include "status/StatusView.h"
#include "status/StatusSnapshot.h"

#include <array>

namespace zelt {

namespace {

// K1 to K14 at [1] to [14].
using AlarmDigits = std::array<std::int32_t, 15>;

AlarmDigits ReadDigits(const std::string& body)
{
    AlarmDigits k{};
    for (std::size_t d = 1; d <= 14; ++d)
        k[d] = StrToInt("$" + (d <= body.size() ? body.substr(d - 1, 1) : std::string()));
    return k;
}

} // namespace

void DecodeAlarmStatus(const std::string& body, StatusSnapshot& s, StatusView& area)
{
    const AlarmDigits k = ReadDigits(body);
    const auto bit = [&](int d, int b) { return (k[d] >> b & 1) != 0; };
    const auto redLime = [&](const std::string& lamp, int d, int b) {
        area.SetLamp(lamp, bit(d, b) ? RgbRed : RgbLime);
        s.Alarms[lamp] = bit(d, b);
    };
    const auto grey = [&](const std::string& lamp) {
        area.SetLamp(lamp, RgbGrey);
        s.Alarms[lamp] = false;
    };

    redLime("OV", 1, 1);

    if (k[9] != 0) {
        redLime("BDCH", 7, 1);
        if (s.LowVoltSelectA == 0 || s.LowVoltSelectB == 0)
            grey("BE");
        else
            redLime("BE", 1, 3);
    } else {
        grey("BE");
        grey("BDCH");
    }

    // K9 tells which LVDs and breakers are fitted.
    const std::pair<const char*, std::uint8_t*> fitted[] = {
        {"BR1", &s.BR1Fitted}, {"BF1", &s.BF1Fitted}, {"BR2", &s.BR2Fitted}, {"BF2", &s.BF2Fitted}};
    for (int b = 0; b < 4; ++b) {
        const auto& [lamp, flag] = fitted[b];
        if (bit(9, b)) {
            redLime(lamp, 2, b);
            *flag = 1;
        } else {
            grey(lamp);
            *flag = 0;
        }
    }

    redLime("DNFB", 5, 0);
    if (s.ExtBattStrings == 2)
        redLime("BLTF2", 5, 1);
    else
        grey("BLTF2");

    if (bit(10, 0)) {
        redLime("BTEMP1", 5, 2);
        s.Batt1SensorFitted = 1;
    } else {
        grey("BTEMP1");
        s.Batt1SensorFitted = 0;
    }
    redLime("RTEMP", 5, 3);

    if (bit(9, 0) || bit(9, 1)) {
        redLime("BK1_CEL1", 6, 0);
        redLime("BK1_CEL2", 6, 1);
    } else {
        grey("BK1_CEL1");
        grey("BK1_CEL2");
    }
    if (bit(9, 2) || bit(9, 3)) {
        redLime("BK2_CEL1", 6, 2);
        redLime("BK2_CEL2", 6, 3);
    } else {
        grey("BK2_CEL1");
        grey("BK2_CEL2");
    }

    redLime("Arm_Cmu", 7, 0);
    redLime("SC", 7, 2);

    for (int n = 1; n <= 4; ++n) {
        s.ModuleIn[n] = bit(11, n - 1) ? 1 : 0;
        area.SetText("pnlRM" + std::to_string(n), s.ModuleIn[n] ? "IN " : "OUT ");
    }
    s.AcUpperIn = bit(12, 2) ? 1 : 0;
    area.SetText("pnlAC1", s.AcUpperIn ? "IN " : "OUT ");
    s.AcLowerIn = bit(12, 3) ? 1 : 0;
    area.SetText("pnlAC2", s.AcLowerIn ? "IN " : "OUT ");

    // Units 1 and 2 hang on the upper AC group, units 3 and 4 on the lower.
    for (int n = 1; n <= 4; ++n) {
        const std::string lamp = "UF" + std::to_string(n);
        const std::uint8_t groupIn = n <= 2 ? s.AcUpperIn : s.AcLowerIn;
        if (bit(4, n - 1) || groupIn == 0) {
            grey(lamp);
            s.UnitPresent[n] = 0;
        } else {
            s.UnitPresent[n] = 1;
            redLime(lamp, 3, n - 1);
        }
    }

    if (s.AcUpperIn == 0)
        grey("AF_U");
    else
        redLime("AF_U", 7, 3);
    if (s.AcLowerIn == 0)
        grey("AF_L");
    else
        redLime("AF_L", 8, 0);

    if (s.LowVoltSelectA == 1 && s.LowVoltSelectB == 1) {
        grey("UV");
        grey("HW_A2");
    } else {
        redLime("UV", 1, 2);
        redLime("HW_A2", 13, 1);
    }
    redLime("HW_A1", 13, 0);
    redLime("HW_A3", 13, 2);
    redLime("HW_A4", 13, 3);

    if (s.ExtBattStrings == 0) {
        grey("BHTF");
        grey("BLTF");
    } else {
        redLime("BHTF", 8, 1);
        redLime("BLTF", 8, 2);
    }
    if (s.ExtBattStrings == 2)
        redLime("BHTF2", 8, 3);
    else
        grey("BHTF2");
}

} // namespace zelt
