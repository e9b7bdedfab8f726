#include "status/RectifierStatus.h"

#include "core/Rgb.h"
#include "protocol/FieldText.h"
#include "status/StatusView.h"
#include "status/StatusSnapshot.h"
#include "status/TestDates.h"
#include "status/TestAlertWindow.h"

#include <QTimer>

namespace zelt {

namespace {

const std::string NoExternalBatteries = "Temp Mode : OFF(No External Batteries)";

std::string Cut(std::string& rest, std::size_t n)
{
    std::string head;
    SplitHead(rest, n, head);
    return head;
}

std::int32_t Hex(const std::string& field)
{
    return StrToInt("$" + field);
}

// Characters of a received text; a short field gives what is there.
std::string Part(const std::string& text, std::size_t pos, std::size_t n)
{
    return pos < text.size() ? text.substr(pos, n) : std::string();
}

std::int32_t Signed(const std::string& sign, std::int32_t value)
{
    return sign == "-" ? -value : value;
}

std::int32_t LoadAmperes(const std::string& field)
{
    try {
        return StrToInt(field);
    } catch (const EConvertError&) {
        return 0;
    }
}

std::string Tenths(std::int32_t value, char unit)
{
    return FormatTenths(value, unit) + " ";
}

std::string Temperature(const std::string& sign, std::int32_t value)
{
    return sign + (value != 0 ? FormatTenths(value, 'C') : std::string("0 C")) + " ";
}

std::string ChargeModeText(std::int32_t code)
{
    switch (code) {
    case 2: return "Boost Mode ";
    case 3: return "MANUAL FL ";
    case 4: return "MANUAL EQ ";
    case 5: return "Temp Mode ";
    case 6: return "Discharge Mode ";
    default: return "Float Mode ";
    }
}

// A low temperature alarm code above 20 stands for minus (code - 20) degrees.
std::string LowTemperatureText(std::int32_t code)
{
    return code > 20 ? "-" + std::to_string(code - 20) + " C " : std::to_string(code) + " C ";
}

// Firmware field c1 c2 y1 y2 m1 m2 d1 d2.
std::string FirmwareVersion(const std::string& f)
{
    return "V" + Part(f, 0, 1) + "." + Part(f, 1, 1) + " (" + Part(f, 2, 2) + "/" + Part(f, 4, 2) + "/" + Part(f, 6, 2) +
           ") ";
}

// Four two-digit groups shown as sent: G1/G2  G3:G4
std::string FourGroups(const std::string& f)
{
    return Part(f, 0, 2) + "/" + Part(f, 2, 2) + "  " + Part(f, 4, 2) + ":" + Part(f, 6, 2) + "  ";
}

std::string InitialChargeEndText(std::int32_t state, const std::string& f)
{
    switch (state) {
    case 1: return FourGroups(f);
    case 2: return "Initial Charge Completed ";
    case 3: return "Initial Charge Interrupted ";
    case 4: return "Initial Charge Failed ";
    default: return "None ";
    }
}

// State code s ahead of the five characters a b f1 f2 f3.
std::string RemainingCapacityText(const std::string& s, const std::string& f)
{
    if (s == "1" || s == "4")
        return "100 % ";
    const std::string fraction = "." + Part(f, 2, 3) + " % ";
    if (s == "0" && Part(f, 0, 1) != "0")
        return Part(f, 0, 2) + fraction;
    return Part(f, 1, 1) + fraction;
}

void DecodeHead(std::string& rest, StatusSnapshot& s, StatusView& area, const RectifierEffects& fx)
{
    s.DcVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlDC_V", Tenths(s.DcVolt, 'V'));
    {
        // Shown as received; a load that is not a number is kept as 0.
        const std::string load = Cut(rest, 3);
        s.LoadCurrent = LoadAmperes(load);
        area.SetText("pnlLC_A", load + " A ");
    }
    s.BattCurrentSign = Cut(rest, 1);
    {
        const std::string current = Cut(rest, 3);
        s.BattCurrent = StrToInt(current);
        area.SetText("pnlBC_A", s.BattCurrentSign + current + " A ");
    }
    {
        // Battery 1 temperature; blank while its sensor is not fitted.
        const std::string sign = Cut(rest, 1);
        const std::string value = Cut(rest, 3);
        if (area.LampColour("BTEMP1") == RgbGrey) {
            s.Batt1Temp = 0;
            area.SetText("pnlBATTTEMP1", " ");
        } else {
            const std::int32_t degrees = StrToInt(value);
            s.Batt1Temp = Signed(sign, degrees);
            area.SetText("pnlBATTTEMP1", Temperature(sign, degrees));
        }
    }
    Cut(rest, 1);
    StrToInt(Cut(rest, 3)); // a second temperature, not shown
    {
        const std::string sign = Cut(rest, 1);
        const std::int32_t value = StrToInt(Cut(rest, 3));
        s.RackTemp = Signed(sign, value);
        area.SetText("pnlRACKTEMP", Temperature(sign, value));
    }
    const char* const blocks[] = {"pnlBANK_1L", "pnlBANK_1R", "pnlBANK_2L", "pnlBANK_2R"};
    for (std::size_t b = 0; b < s.BlockVolt.size(); ++b) {
        s.BlockVolt[b] = StrToInt(Cut(rest, 3));
        area.SetText(blocks[b], Tenths(s.BlockVolt[b], 'V'));
    }
    s.FloatVolt = StrToInt(Cut(rest, 3));
    s.EqualizeVolt = StrToInt(Cut(rest, 3));
    s.OperatingVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlDC_Set", Tenths(s.OperatingVolt, 'V'));
    s.ChargeLimit = StrToInt(Cut(rest, 3));
    area.SetText("pnlCh_limit", s.ChargeLimit == 0 ? std::string(" OFF ") : std::to_string(s.ChargeLimit) + " A ");
    {
        // The initial charge flag comes later in the record: this decision
        // follows the previous record's flag.
        const std::string code = Cut(rest, 1);
        if (s.InitialChargeActive == 1) {
            area.SetText("pnlCh_Mode", "Initial Charge");
        } else {
            s.ChargeMode = StrToInt(code);
            area.SetText("pnlCh_Mode", ChargeModeText(s.ChargeMode));
        }
    }
    s.DischargeTestOn = StrToInt(Cut(rest, 1));
    s.TempCompOn = StrToInt(Cut(rest, 1));
    // The battery string count is in the tail: the previous record's count decides.
    area.SetText("LabelTempComp", s.ExtBattStrings != 0 && s.TempCompOn != 0 ? "Temp Mode ON" : NoExternalBatteries);
    s.EqChargeCurrent = StrToInt(Cut(rest, 3));
    s.EqEndCurrent = StrToInt(Cut(rest, 3));
    if (StrToInt(Cut(rest, 1)) != 0) {
        if (!fx.Timer2.isActive())
            fx.Timer2.start();
        s.InitialChargeActive = 1;
    } else {
        fx.Timer2.stop();
        s.InitialChargeActive = 0;
        fx.InitBlinkCount = 0;
        area.SetVisible("Lab_Init_charge", false);
    }
    s.InitialChargeState = StrToInt(Cut(rest, 1));
    StrToInt(Cut(rest, 4)); // discharge rate, not shown
    s.DcHighAlarmVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlDCO_V", Tenths(s.DcHighAlarmVolt, 'V'));
    s.DcLowAlarmVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlDCL_V", Tenths(s.DcLowAlarmVolt, 'V'));
    s.BattLowAlarmVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlBLV", Tenths(s.BattLowAlarmVolt, 'V'));
    s.OvShutdownVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlOV_SD", Tenths(s.OvShutdownVolt, 'V'));
    s.LvdOpenVolt = StrToInt(Cut(rest, 3));
    area.SetText("pnlLVD_V", Tenths(s.LvdOpenVolt, 'V'));
    s.LvdDelay = StrToInt(Cut(rest, 2));
    area.SetText("pnlLVD_T", std::to_string(s.LvdDelay) + " Sec ");
    s.AcFailDropVolt = StrToInt(Cut(rest, 3));
    {
        const std::int32_t type = StrToInt(Cut(rest, 2));
        if (type == 49) {
            s.BattTypeIndex = 0;
            area.SetText("pnlBattType", "M12V90FT ");
        } else if (type == 50) {
            s.BattTypeIndex = 1;
            area.SetText("pnlBattType", "M12V155FT ");
        } else {
            area.SetText("pnlBattType", "None");
        }
    }
    s.AcFailMode = StrToInt(Cut(rest, 1));
    s.DischargeTime = StrToInt(Cut(rest, 2));
    s.DischargeAlarmVolt = StrToInt(Cut(rest, 3));
    s.DischargeAbortVolt = StrToInt(Cut(rest, 3));

    const std::string mainBoard = Cut(rest, 8);
    area.SetText("pnlProgramVersion", FirmwareVersion(mainBoard));
    area.SetText("pnlProgramName", "KPL_V" + Part(mainBoard, 0, 2) + "_" + Part(mainBoard, 2, 6) + "_100.hex ");
    const std::string alarmBoard = Cut(rest, 8);
    area.SetText("pnlAlarmVersion", FirmwareVersion(alarmBoard));
    area.SetText("pnlAlarmName", "KPL-ALARM_V" + Part(alarmBoard, 0, 2) + "(" + Part(alarmBoard, 2, 6) + ").hex ");

    {
        const std::string year = Cut(rest, 4);
        const std::string month = Cut(rest, 2);
        const std::string day = Cut(rest, 2);
        area.SetText("pnlDate", year + "/" + month + "/" + day + " ");
        const std::string hour = Cut(rest, 2);
        const std::string minute = Cut(rest, 2);
        const std::string second = Cut(rest, 2);
        area.SetText("pnlTime", hour + ":" + minute + ":" + second + " ");
        s.ControllerDate = year + month + day;
        s.ControllerTime = hour + minute + second;
    }
    s.Mac.clear();
    for (int i = 1; i <= 6; ++i) {
        const std::string group = Cut(rest, 2);
        s.Mac += group;
        area.SetText("pnlMAC" + std::to_string(i), group);
    }

    const auto addressBytes = [&](const std::string& prefix) {
        for (int b = 1; b <= 4; ++b)
            area.SetText(prefix + std::to_string(b), std::to_string(Hex(Cut(rest, 2))));
    };
    addressBytes("pnlIP");
    addressBytes("pnlGW");
    addressBytes("pnlSM");
    addressBytes("pnlSVIP1");
    area.SetChecked("cbTcpip_En1", StrToInt(Cut(rest, 1)) != 0);
    addressBytes("pnlSVIP2");
    area.SetChecked("cbTcpip_En2", StrToInt(Cut(rest, 1)) != 0);
    for (int m = 1; m <= 4; ++m) {
        const std::string manager = std::to_string(m);
        // SNMP panels are named by byte first, then manager: pnlSVIP4<byte><manager>.
        for (int b = 1; b <= 4; ++b)
            area.SetText("pnlSVIP4" + std::to_string(b) + manager, std::to_string(Hex(Cut(rest, 2))));
        area.SetChecked("cbSNMP_En" + manager, StrToInt(Cut(rest, 1)) != 0);
        area.SetChecked("cbTrap_En" + manager, StrToInt(Cut(rest, 1)) != 0);
    }

    // One-digit lengths, so 0 to 9 characters each.
    const auto readLength = static_cast<std::size_t>(StrToInt(Cut(rest, 1)));
    const auto writeLength = static_cast<std::size_t>(StrToInt(Cut(rest, 1)));
    area.SetText("pnlReadComuni", Cut(rest, readLength));
    area.SetText("pnlWriteComuni", Cut(rest, writeLength));
}

void DecodeTail(std::string& rest, StatusSnapshot& s, StatusView& area, const RectifierEffects& fx)
{
    // The first five fields are optional: an empty one is skipped.
    if (const std::string f = Cut(rest, 2); !f.empty()) {
        s.Batt1HighTemp = StrToInt(f);
        area.SetText("pnlBHT", std::to_string(s.Batt1HighTemp) + " C ");
    }
    if (const std::string f = Cut(rest, 2); !f.empty()) {
        s.Batt1LowTemp = StrToInt(f);
        area.SetText("pnlBLT", LowTemperatureText(s.Batt1LowTemp));
    }
    if (const std::string f = Cut(rest, 8); !f.empty())
        area.SetText("pnlInitial_Time", InitialChargeEndText(s.InitialChargeState, f));
    if (const std::string f = Cut(rest, 2); !f.empty()) {
        s.Batt2HighTemp = StrToInt(f);
        area.SetText("pnlBHT2", std::to_string(s.Batt2HighTemp) + " C ");
    }
    if (const std::string f = Cut(rest, 2); !f.empty()) {
        s.Batt2LowTemp = StrToInt(f);
        area.SetText("pnlBLT2", LowTemperatureText(s.Batt2LowTemp));
    }

    const std::string lastTestDate = Cut(rest, 8);
    const std::string interval = Cut(rest, 1);
    const std::string strings = Cut(rest, 1);
    s.ExtBattStrings = StrToInt(strings);
    s.LastTestDate = lastTestDate;
    s.TestInterval = interval;

    // Today is the controller's date as shown: "yyyy/mm/dd ".
    const std::string shownDate = area.Text("pnlDate");
    const std::string today = Part(shownDate, 0, 4) + Part(shownDate, 5, 2) + Part(shownDate, 8, 2);
    const std::string verdict = Cut(rest, 1);
    s.HealthVerdict = verdict;
    // HealthValid comes later in the record: the previous record's value decides.
    if (s.HealthValid == 0 || verdict == "1")
        area.SetText("LabHealth", "Excellent (>=90% capacity)");
    else if (verdict == "2")
        area.SetText("LabHealth", "Good (90%> capacity>= 80%)");
    else
        area.SetText("LabHealth", "Poor-Replace(<80% capacity)");

    s.ManualTestActive = StrToInt(Cut(rest, 1));
    if (strings != "0") {
        if (s.ManualTestActive != 0) {
            if (!fx.Timer3.isActive())
                fx.Timer3.start();
        } else {
            fx.Timer3.stop();
            area.SetVisible("Label_Dch", false);
        }
    }

    s.BoostEntry = StrToInt(Cut(rest, 1));
    area.SetText("LabBEntry", s.BoostEntry == 1 ? "10% " : s.BoostEntry == 2 ? "20% " : "30% ");
    Cut(rest, 6); // watt-minutes of the discharge
    Cut(rest, 5); // depth of discharge
    Cut(rest, 5); // compensated depth of discharge
    const std::string capacityState = Cut(rest, 1);
    area.SetText("pnlRCapa", RemainingCapacityText(capacityState, Cut(rest, 5)));
    area.SetText("pnlRTime", Cut(rest, 3) + " Hour ");
    s.LowVoltSelectA = StrToInt(Cut(rest, 1));
    s.LowVoltSelectB = StrToInt(Cut(rest, 1));
    s.HealthValid = StrToInt(Cut(rest, 1));

    const std::string display = Cut(rest, 1);
    if (display == "1" || display == "2") {
        for (const char* panel : {"pnlRCapa", "pnlRTime"}) {
            area.SetBackground(panel, RgbGrey);
            area.SetText(panel, "");
        }
    } else {
        area.ClearBackground("pnlRCapa");
        area.ClearBackground("pnlRTime");
    }

    const std::int32_t faults = Hex(Cut(rest, 1));
    const bool initialFailed = (faults & 1) != 0;
    area.SetFontSize("Label_BIC", initialFailed ? 7 : 10);
    area.SetText("Label_BIC", !initialFailed                  ? "Initial Charge"
                              : s.InitialChargeState == 3     ? "Initial Charge Interrupted. Check System"
                                                              : "Initial Charge Failed. Check Battery");
    area.SetLamp("BIC", initialFailed ? RgbRed : RgbLime);
    const bool floatFailed = (faults & 2) != 0;
    area.SetFontSize("Label_BFC", floatFailed ? 7 : 10);
    area.SetText("Label_BFC", floatFailed ? "Float Charge Failed. Check Battery" : "Float Charge");
    area.SetLamp("BFC", floatFailed ? RgbRed : RgbLime);
    const bool boostFailed = (faults & 4) != 0;
    area.SetFontSize("Label_BBC", boostFailed ? 7 : 10);
    area.SetText("Label_BBC", boostFailed ? "Boost Charge Failed. Check Battery" : "Boost Charge");
    area.SetLamp("BBC", boostFailed ? RgbRed : RgbLime);
    const bool testMode = (faults & 8) != 0;
    s.BattTestMode = testMode ? 1 : 0;
    area.SetText("Label_BattAmp", testMode ? "Test Batt. Amp" : "Batt. Amp");
    area.SetBackground("Label_BattAmp", testMode ? RgbRed : RgbMoneyGreen);

    const std::string chargeStart = Cut(rest, 8);
    area.SetText("pnlCh_Time", chargeStart == "00000000" ? std::string("None ") : FourGroups(chargeStart));

    // Battery test alert, raised once until the alert window is closed.
    if (strings == "0" || fx.TestAlertShown != 0)
        return;
    const std::string next = NextTestDate(lastTestDate, interval);
    const std::int32_t days = DaysUntilTest(today, next);
    if (days >= 90)
        return;
    if (verdict == "1" || verdict == "2") {
        fx.frmShow.ShowAlert("Batt Disch Test Due on " + DashedDate(next), "", RgbMoneyGreen);
        fx.TestAlertShown = 1;
    } else if (verdict == "3") {
        fx.frmShow.ShowAlert("Post-Test Recommendations- Capacity is low, ",
                             "replace battery string by " + DashedDate(next), RgbYellow);
        fx.TestAlertShown = 1;
    }
}

void ShowBatteryState(const StatusSnapshot& s, StatusView& area)
{
    if (s.BattCurrentSign == "-" && s.BattCurrent >= 1)
        area.SetText("LabBOD", "Battery on Discharge");
    else if (s.BattCurrentSign == "+" && s.BattCurrent >= 1)
        area.SetText("LabBOD", "Battery on Charge");
    else
        area.SetText("LabBOD", "Battery on Float");
}

} // namespace

void DecodeRectifierStatus(const std::string& body, StatusSnapshot& snapshot, StatusView& area,
                           const RectifierEffects& effects)
{
    std::string rest = body;
    DecodeHead(rest, snapshot, area, effects);
    // The battery state depends on the head alone; it is shown whatever the
    // tail holds, also when the record ends after the communities and the
    // frame's end and checksum bytes fill the first tail field.
    ShowBatteryState(snapshot, area);
    try {
        DecodeTail(rest, snapshot, area, effects);
    } catch (const EConvertError&) {
        // The optional tail ends silently at its first field that does not convert.
    }
}

} // namespace zelt
