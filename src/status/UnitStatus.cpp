#include "status/UnitStatus.h"

#include "core/Rgb.h"
#include "protocol/FieldText.h"
#include "status/StatusView.h"
#include "status/StatusSnapshot.h"

namespace zelt {

namespace {

std::string Cut(std::string& rest, std::size_t n)
{
    std::string head;
    SplitHead(rest, n, head);
    return head;
}

// The eight lamps of unit n from its alarm byte.
void ShowUnitAlarms(int n, std::int32_t bits, StatusSnapshot& s, StatusView& area)
{
    const std::string unit = std::to_string(n);
    const auto lamp = [&](const char* prefix, Rgb colour) {
        area.SetLamp(prefix + unit, colour);
        s.Alarms[prefix + unit] = colour == RgbRed;
    };
    const auto redLime = [&](const char* prefix, std::int32_t mask) { lamp(prefix, (bits & mask) != 0 ? RgbRed : RgbLime); };

    const std::uint8_t groupIn = n <= 2 ? s.AcUpperIn : s.AcLowerIn;
    if (s.UnitPresent[n] != 1 || groupIn != 1) {
        for (const char* prefix : {"UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR"})
            lamp(prefix, RgbGrey);
        return;
    }
    redLime("FF", 0x40);
    redLime("OT", 0x20);
    redLime("OV", 0x10);
    // No current-limit state for a unit below 54.0 V while boost charging the battery.
    if (s.ChargeMode == 2 && s.BattCurrentSign == "+" && s.UnitDcVolt[n] < 540)
        lamp("OC", RgbGrey);
    else
        redLime("OC", 0x08);
    // Derating is judged on the AC voltage of the previous record: this one's comes later.
    const bool lowAc = s.UnitAcVolt[n] <= 200;
    if ((bits & 0x04) != 0) {
        s.UnitAcFail[n] = 1;
        lamp("DR", lowAc ? RgbRed : RgbLime);
        lamp("AF", RgbRed);
        lamp("UV", RgbRed);
        lamp("SD", RgbRed);
    } else {
        lamp("AF", RgbLime);
        s.UnitAcFail[n] = 0;
        lamp("DR", lowAc && (bits & 0x01) != 0 ? RgbRed : RgbLime);
        redLime("UV", 0x80);
        redLime("SD", 0x02);
    }
}

} // namespace

void DecodeUnitStatus(const std::string& body, StatusSnapshot& s, StatusView& area)
{
    std::string rest = body.substr(0, 60);
    for (int n = 1; n <= 4; ++n) {
        s.UnitDcVolt[n] = StrToInt(Cut(rest, 3));
        area.SetText("pnlVolt" + std::to_string(n),
                     s.UnitAcFail[n] == 1 ? std::string("0 V ") : FormatTenths(s.UnitDcVolt[n], 'V') + " ");
    }
    for (int n = 1; n <= 4; ++n) {
        s.UnitCurrent[n] = StrToInt(Cut(rest, 3));
        area.SetText("pnlAmp" + std::to_string(n), FormatTenths(s.UnitCurrent[n], 'A') + " ");
    }
    for (int n = 1; n <= 4; ++n) {
        s.UnitTemp[n] = Cut(rest, 4);
        area.SetText("pnlTemp" + std::to_string(n), s.UnitTemp[n] + " C ");
    }
    for (int n = 1; n <= 4; ++n)
        ShowUnitAlarms(n, StrToInt("$" + Cut(rest, 2)), s, area);
    for (int n = 1; n <= 4; ++n) {
        s.UnitAcVolt[n] = StrToInt(Cut(rest, 3));
        area.SetText("pnlACVolt" + std::to_string(n), std::to_string(s.UnitAcVolt[n]) + "V ");
    }
}

} // namespace zelt
