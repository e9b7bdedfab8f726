#include "StatusFixture.h"

#include "common/EventLoop.h"
#include "ui/StandardError.h"

#include "protocol/FieldText.h"
#include "protocol/FrameCodec.h"

#include <QTimer>
#include <functional>

using namespace zelt;
using namespace zelt::test;

namespace {

using RectifierStatus = StatusFixture;

TEST(RecordBuilder, FieldsSitAtTheirPositions)
{
    const RRecord r;
    const std::string head = r.Head();
    ASSERT_EQ(head.size(), 218u);
    EXPECT_EQ(head.substr(108, 8), r.date);      // position 109
    EXPECT_EQ(head.substr(134, 8), r.ip);        // position 135
    EXPECT_EQ(head.substr(206, 10), r.manager[3] + r.managerOn[3] + r.trapOn[3]); // position 207
    EXPECT_EQ(r.Tail().size(), 67u);             // N to N+66
}

TEST_F(RectifierStatus, FullRecordFillsEveryPanel)
{
    R(RRecord{});
    const std::pair<const char*, const char*> expected[] = {
        {"pnlDC_V", "53.5 V "},
        {"pnlLC_A", "012 A "},
        {"pnlBC_A", "+005 A "},
        {"pnlBATTTEMP1", "+23.5  C "},
        {"pnlRACKTEMP", "-5.2  C "},
        {"pnlBANK_1L", "13.0 V "},
        {"pnlBANK_1R", "13.1 V "},
        {"pnlBANK_2L", "13.2 V "},
        {"pnlBANK_2R", "13.3 V "},
        {"pnlDC_Set", "54.0 V "},
        {"pnlCh_limit", "12 A "},
        {"pnlCh_Mode", "Float Mode "},
        {"LabelTempComp", "Temp Mode ON"},
        {"pnlDCO_V", "57.0 V "},
        {"pnlDCL_V", "47.0 V "},
        {"pnlBLV", "46.0 V "},
        {"pnlOV_SD", "58.0 V "},
        {"pnlLVD_V", "43.0 V "},
        {"pnlLVD_T", "5 Sec "},
        {"pnlBattType", "M12V90FT "},
        {"pnlProgramVersion", "V1.2 (14/07/03) "},
        {"pnlProgramName", "KPL_V12_140703_100.hex "},
        {"pnlAlarmVersion", "V1.1 (13/05/06) "},
        {"pnlAlarmName", "KPL-ALARM_V11(130506).hex "},
        {"pnlDate", "2024/03/15 "},
        {"pnlTime", "12:30:45 "},
        {"pnlMAC1", "00"}, {"pnlMAC5", "44"}, {"pnlMAC6", "AA"},
        {"pnlIP1", "192"}, {"pnlIP2", "168"}, {"pnlIP3", "1"}, {"pnlIP4", "100"},
        {"pnlGW4", "1"}, {"pnlSM1", "255"}, {"pnlSM4", "0"},
        {"pnlSVIP11", "10"}, {"pnlSVIP14", "1"}, {"pnlSVIP24", "2"},
        {"pnlSVIP411", "10"}, {"pnlSVIP441", "10"}, {"pnlSVIP442", "11"}, {"pnlSVIP443", "12"}, {"pnlSVIP444", "13"},
        {"pnlSVIP424", "0"},
        {"pnlReadComuni", "public"},
        {"pnlWriteComuni", "private"},
        {"LabBOD", "Battery on Charge"},
        {"pnlBHT", "50 C "},
        {"pnlBLT", "-5 C "},
        {"pnlInitial_Time", "03/15  12:30  "},
        {"pnlBHT2", "45 C "},
        {"pnlBLT2", "20 C "},
        {"LabHealth", "Excellent (>=90% capacity)"},
        {"LabBEntry", "20% "},
        {"pnlRCapa", "9.512 % "},
        {"pnlRTime", "012 Hour "},
        {"Label_BIC", "Initial Charge"},
        {"Label_BFC", "Float Charge"},
        {"Label_BBC", "Boost Charge"},
        {"Label_BattAmp", "Batt. Amp"},
        {"pnlCh_Time", "None "},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;

    const std::pair<const char*, bool> boxes[] = {
        {"cbTcpip_En1", true}, {"cbTcpip_En2", false}, {"cbSNMP_En1", true}, {"cbTrap_En1", true},
        {"cbSNMP_En2", false}, {"cbTrap_En2", true},   {"cbSNMP_En3", true}, {"cbTrap_En3", false},
        {"cbSNMP_En4", false}, {"cbTrap_En4", false}};
    for (const auto& [name, checked] : boxes)
        EXPECT_EQ(Checked(name), checked) << name;
    EXPECT_FALSE(frmShow.isVisible());
}

TEST_F(RectifierStatus, FullRecordFillsTheSnapshot)
{
    R(RRecord{});
    const StatusSnapshot& s = Snap();
    const std::pair<const char*, std::int32_t> expected[] = {
        {"BattCurrent", s.BattCurrent}, {"FloatVolt", s.FloatVolt}, {"EqualizeVolt", s.EqualizeVolt},
        {"OperatingVolt", s.OperatingVolt}, {"ChargeLimit", s.ChargeLimit}, {"ChargeMode", s.ChargeMode},
        {"DischargeTestOn", s.DischargeTestOn}, {"TempCompOn", s.TempCompOn}, {"EqChargeCurrent", s.EqChargeCurrent},
        {"EqEndCurrent", s.EqEndCurrent}, {"InitialChargeState", s.InitialChargeState},
        {"DcHighAlarmVolt", s.DcHighAlarmVolt}, {"DcLowAlarmVolt", s.DcLowAlarmVolt},
        {"BattLowAlarmVolt", s.BattLowAlarmVolt}, {"OvShutdownVolt", s.OvShutdownVolt}, {"LvdOpenVolt", s.LvdOpenVolt},
        {"LvdDelay", s.LvdDelay}, {"AcFailDropVolt", s.AcFailDropVolt}, {"BattTypeIndex", s.BattTypeIndex},
        {"AcFailMode", s.AcFailMode}, {"DischargeTime", s.DischargeTime}, {"DischargeAlarmVolt", s.DischargeAlarmVolt},
        {"DischargeAbortVolt", s.DischargeAbortVolt}, {"Batt1HighTemp", s.Batt1HighTemp},
        {"Batt1LowTemp", s.Batt1LowTemp}, {"Batt2HighTemp", s.Batt2HighTemp}, {"Batt2LowTemp", s.Batt2LowTemp},
        {"ExtBattStrings", s.ExtBattStrings}, {"ManualTestActive", s.ManualTestActive}, {"BoostEntry", s.BoostEntry},
        {"HealthValid", s.HealthValid}};
    const std::int32_t values[] = {5, 535, 560, 540, 12, 1, 1, 1, 10, 5, 1, 570, 470, 460, 580, 430,
                                   5, 180, 0, 1, 30, 470, 450, 50, 25, 45, 20, 1, 0, 2, 1};
    ASSERT_EQ(std::size(expected), std::size(values));
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(expected[i].second, values[i]) << expected[i].first;
    EXPECT_EQ(s.BattCurrentSign, "+");
}

// One field varied from the default record, one control read back.
struct FieldCase {
    const char* what;
    std::function<void(RRecord&)> set;
    const char* control;
    const char* text;
};

void PrintTo(const FieldCase& c, std::ostream* os)
{
    *os << c.what;
}

class RectifierField : public StatusFixture, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(RectifierField, ShowsTheFieldAsTheControlWants)
{
    RRecord r;
    GetParam().set(r);
    R(r);
    EXPECT_EQ(Text(GetParam().control), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RectifierField,
    ::testing::Values(
        FieldCase{"limit off", [](RRecord& r) { r.chargeLimit = "000"; }, "pnlCh_limit", " OFF "},
        FieldCase{"load zeros kept", [](RRecord& r) { r.loadAmp = "007"; }, "pnlLC_A", "007 A "},
        FieldCase{"discharge current", [](RRecord& r) { r.battSign = "-"; }, "pnlBC_A", "-005 A "},
        FieldCase{"type 155", [](RRecord& r) { r.battType = "50"; }, "pnlBattType", "M12V155FT "},
        FieldCase{"type none", [](RRecord& r) { r.battType = "00"; }, "pnlBattType", "None"},
        FieldCase{"low temp 20", [](RRecord& r) { r.batt1Low = "20"; }, "pnlBLT", "20 C "},
        FieldCase{"low temp 00", [](RRecord& r) { r.batt2Low = "00"; }, "pnlBLT2", "0 C "},
        FieldCase{"low temp 21", [](RRecord& r) { r.batt2Low = "21"; }, "pnlBLT2", "-1 C "},
        FieldCase{"zero temp", [](RRecord& r) { r.temp1 = "000"; }, "pnlBATTTEMP1", "+0 C "},
        FieldCase{"zero rack temp", [](RRecord& r) { r.rack = "000"; }, "pnlRACKTEMP", "-0 C "},
        FieldCase{"sign as sent", [](RRecord& r) { r.temp1Sign = "x"; }, "pnlBATTTEMP1", "x23.5  C "},
        FieldCase{"byte 0A", [](RRecord& r) { r.ip = "0AFF007F"; }, "pnlIP1", "10"},
        FieldCase{"byte FF", [](RRecord& r) { r.ip = "0AFF007F"; }, "pnlIP2", "255"},
        FieldCase{"byte 00", [](RRecord& r) { r.ip = "0AFF007F"; }, "pnlIP3", "0"},
        FieldCase{"byte 7F", [](RRecord& r) { r.ip = "0AFF007F"; }, "pnlIP4", "127"},
        FieldCase{"lower-case hex", [](RRecord& r) { r.mask = "ff00ff00"; }, "pnlSM3", "255"},
        FieldCase{"boost mode", [](RRecord& r) { r.chargeMode = "2"; }, "pnlCh_Mode", "Boost Mode "},
        FieldCase{"manual fl", [](RRecord& r) { r.chargeMode = "3"; }, "pnlCh_Mode", "MANUAL FL "},
        FieldCase{"manual eq", [](RRecord& r) { r.chargeMode = "4"; }, "pnlCh_Mode", "MANUAL EQ "},
        FieldCase{"temp mode", [](RRecord& r) { r.chargeMode = "5"; }, "pnlCh_Mode", "Temp Mode "},
        FieldCase{"discharge", [](RRecord& r) { r.chargeMode = "6"; }, "pnlCh_Mode", "Discharge Mode "},
        FieldCase{"other mode", [](RRecord& r) { r.chargeMode = "9"; }, "pnlCh_Mode", "Float Mode "},
        FieldCase{"comp off", [](RRecord& r) { r.tempComp = "0"; }, "LabelTempComp", "Temp Mode : OFF(No External Batteries)"},
        FieldCase{"init completed", [](RRecord& r) { r.initialState = "2"; }, "pnlInitial_Time", "Initial Charge Completed "},
        FieldCase{"init interrupted", [](RRecord& r) { r.initialState = "3"; }, "pnlInitial_Time", "Initial Charge Interrupted "},
        FieldCase{"init failed", [](RRecord& r) { r.initialState = "4"; }, "pnlInitial_Time", "Initial Charge Failed "},
        FieldCase{"init none", [](RRecord& r) { r.initialState = "0"; }, "pnlInitial_Time", "None "},
        FieldCase{"boost 10", [](RRecord& r) { r.boost = "1"; }, "LabBEntry", "10% "},
        FieldCase{"boost 30", [](RRecord& r) { r.boost = "7"; }, "LabBEntry", "30% "},
        FieldCase{"capacity full 1", [](RRecord& r) { r.capacityState = "1"; }, "pnlRCapa", "100 % "},
        FieldCase{"capacity full 4", [](RRecord& r) { r.capacityState = "4"; }, "pnlRCapa", "100 % "},
        FieldCase{"capacity two digits", [](RRecord& r) { r.capacity = "12345"; }, "pnlRCapa", "12.345 % "},
        FieldCase{"capacity state 2", [](RRecord& r) { r.capacityState = "2"; r.capacity = "12345"; }, "pnlRCapa", "2.345 % "},
        FieldCase{"charge start", [](RRecord& r) { r.chargeStart = "04011530"; }, "pnlCh_Time", "04/01  15:30  "},
        FieldCase{"discharging", [](RRecord& r) { r.battSign = "-"; r.battAmp = "001"; }, "LabBOD", "Battery on Discharge"},
        FieldCase{"no current", [](RRecord& r) { r.battAmp = "000"; }, "LabBOD", "Battery on Float"},
        FieldCase{"odd sign", [](RRecord& r) { r.battSign = " "; }, "LabBOD", "Battery on Float"},
        FieldCase{"initial failed", [](RRecord& r) { r.faults = "1"; }, "Label_BIC", "Initial Charge Failed. Check Battery"},
        FieldCase{"initial interrupted", [](RRecord& r) { r.faults = "1"; r.initialState = "3"; }, "Label_BIC",
                  "Initial Charge Interrupted. Check System"},
        FieldCase{"float failed", [](RRecord& r) { r.faults = "2"; }, "Label_BFC", "Float Charge Failed. Check Battery"},
        FieldCase{"boost failed", [](RRecord& r) { r.faults = "4"; }, "Label_BBC", "Boost Charge Failed. Check Battery"},
        FieldCase{"test mode", [](RRecord& r) { r.faults = "8"; }, "Label_BattAmp", "Test Batt. Amp"},
        FieldCase{"empty communities", [](RRecord& r) { r.readCommunity = ""; r.writeCommunity = ""; }, "pnlBHT", "50 C "},
        FieldCase{"nine-character communities", [](RRecord& r) { r.readCommunity = "readcomm9"; r.writeCommunity = "writecom9"; },
                  "pnlCh_Time", "None "}));

TEST_F(RectifierStatus, BatteryTypeOutsideTheListKeepsTheIndex)
{
    RRecord r;
    r.battType = "50";
    R(r);
    EXPECT_EQ(Snap().BattTypeIndex, 1);
    r.battType = "00";
    R(r);
    EXPECT_EQ(Snap().BattTypeIndex, 1);
    r.battType = "49";
    R(r);
    EXPECT_EQ(Snap().BattTypeIndex, 0);
}

TEST_F(RectifierStatus, FaultBitsSetLampsFontsAndBackground)
{
    RRecord r;
    r.faults = "F";
    R(r);
    for (const char* lamp : {"BIC", "BFC", "BBC"})
        EXPECT_EQ(Lamp(lamp), LampRed) << lamp;
    for (const char* label : {"Label_BIC", "Label_BFC", "Label_BBC"})
        EXPECT_EQ(Label(label).font().pointSize(), 7) << label;
    EXPECT_EQ(Background("Label_BattAmp"), LampRed);

    // Each fault bit alone turns its own lamp red and no other.
    const char* const lamps[] = {"BIC", "BFC", "BBC"};
    for (int bit = 0; bit < 4; ++bit) {
        r.faults = std::to_string(1 << bit);
        R(r);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Lamp(lamps[i]), i == bit ? LampRed : LampLime) << r.faults << " " << lamps[i];
        // The test mode bit is kept for the discharge recorder.
        EXPECT_EQ(Snap().BattTestMode, bit == 3 ? 1 : 0) << r.faults;
    }

    r.faults = "0";
    R(r);
    for (const char* lamp : {"BIC", "BFC", "BBC"})
        EXPECT_EQ(Lamp(lamp), LampLime) << lamp;
    for (const char* label : {"Label_BIC", "Label_BFC", "Label_BBC"})
        EXPECT_EQ(Label(label).font().pointSize(), 10) << label;
    EXPECT_EQ(Background("Label_BattAmp"), MoneyGreen);
}

TEST_F(RectifierStatus, DischargeDisplayGreysAndEmptiesCapacityUntilTheNextRecord)
{
    RRecord r;
    const QColor window = Background("pnlRCapa");
    for (const char* state : {"1", "2"}) {
        r.display = state;
        R(r);
        EXPECT_EQ(Text("pnlRCapa"), "") << state;
        EXPECT_EQ(Text("pnlRTime"), "") << state;
        EXPECT_EQ(Background("pnlRCapa"), LampGrey) << state;
        EXPECT_EQ(Background("pnlRTime"), LampGrey) << state;
    }
    r.display = "3";
    R(r);
    EXPECT_EQ(Text("pnlRCapa"), "9.512 % ");
    EXPECT_EQ(Background("pnlRCapa"), window);
    EXPECT_EQ(Background("pnlRTime"), window);
}

TEST_F(RectifierStatus, UnfittedBatterySensorBlanksTheTemperatureWhateverItHolds)
{
    K("00000000000000"); // K10 clear: sensor not fitted
    ASSERT_EQ(Lamp("BTEMP1"), LampGrey);
    RRecord r;
    r.temp1 = "x!?";
    ASSERT_NO_THROW(R(r));
    EXPECT_EQ(Text("pnlBATTTEMP1"), " ");
    EXPECT_EQ(Text("pnlRACKTEMP"), "-5.2  C ");
}

// The three decisions taken on the previous record's values: the first record uses the initial ones.
TEST_F(RectifierStatus, ChargeModeFollowsThePreviousInitialChargeFlag)
{
    RRecord r;
    r.initialActive = "1";
    r.chargeMode = "2";
    R(r);
    EXPECT_EQ(Text("pnlCh_Mode"), "Boost Mode ");
    EXPECT_EQ(Snap().ChargeMode, 2);
    r.chargeMode = "4";
    R(r);
    EXPECT_EQ(Text("pnlCh_Mode"), "Initial Charge");
    EXPECT_EQ(Snap().ChargeMode, 2);
    r.initialActive = "0";
    R(r);
    EXPECT_EQ(Text("pnlCh_Mode"), "Initial Charge");
    R(r);
    EXPECT_EQ(Text("pnlCh_Mode"), "MANUAL EQ ");
}

TEST_F(RectifierStatus, TemperatureCompensationFollowsThePreviousStringCount)
{
    RRecord r;
    r.strings = "0";
    R(r);
    EXPECT_EQ(Text("LabelTempComp"), "Temp Mode ON");
    EXPECT_EQ(Snap().ExtBattStrings, 0);
    R(r);
    EXPECT_EQ(Text("LabelTempComp"), "Temp Mode : OFF(No External Batteries)");
    EXPECT_EQ(Snap().TempCompOn, 1);
}

TEST_F(RectifierStatus, HealthFollowsThePreviousValidFlag)
{
    RRecord r;
    r.verdict = "3";
    R(r);
    EXPECT_EQ(Text("LabHealth"), "Excellent (>=90% capacity)");
    R(r);
    EXPECT_EQ(Text("LabHealth"), "Poor-Replace(<80% capacity)");
    r.verdict = "2";
    r.healthValid = "0";
    R(r);
    EXPECT_EQ(Text("LabHealth"), "Good (90%> capacity>= 80%)");
    R(r);
    EXPECT_EQ(Text("LabHealth"), "Excellent (>=90% capacity)");
}

TEST_F(RectifierStatus, GarbageInAHeadFieldThrowsAndKeepsWhatCameBefore)
{
    R(RRecord{});
    RRecord r;
    r.dcVolt = "541";
    r.battAmp = "0x5";
    r.bank1L = "999";
    try {
        R(r);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'0x5' is not a valid integer value");
    }
    EXPECT_EQ(Text("pnlDC_V"), "54.1 V ");
    EXPECT_EQ(Text("pnlBC_A"), "+005 A ");
    EXPECT_EQ(Text("pnlBANK_1L"), "13.0 V ");
}

TEST_F(RectifierStatus, GarbageInAnAddressByteThrowsWithTheHexText)
{
    RRecord r;
    r.gateway = "C0A8ZZ01";
    try {
        R(r);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'$ZZ' is not a valid integer value");
    }
    EXPECT_EQ(Text("pnlGW2"), "168");
    EXPECT_EQ(Text("pnlGW3"), "");
    EXPECT_EQ(Text("pnlSM1"), "");
}

TEST_F(RectifierStatus, ErrorReachesTheStandardErrorBoxThroughTheGuard)
{
    QString shown;
    SetStandardErrorSink([&](const QString& message) { shown = message; });
    RRecord r;
    r.lvdDelay = "xx";
    RunGuarded([&] { R(r); });
    SetStandardErrorSink({});
    EXPECT_EQ(shown, QStringLiteral("'xx' is not a valid integer value"));
    EXPECT_EQ(Text("pnlLVD_V"), "43.0 V ");
    EXPECT_EQ(Text("pnlLVD_T"), "");
}

// A record cut short at each section boundary, as a real frame: ETX and
// checksum follow the last payload character.
TEST_F(RectifierStatus, RecordCutInTheHeadThrowsAtTheFirstFieldThatDoesNotConvert)
{
    R(RRecord{});
    RRecord r;
    r.bank2R = "128";
    r.operatingVolt = "999";
    const std::string body = RxBodyOf('R', r.Head().substr(0, 40)); // ETX and checksum land in pos 41
    try {
        monitor.DecodeRectifierStatus(body);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + body.substr(40, 2) + "' is not a valid integer value");
    }
    EXPECT_EQ(Text("pnlBANK_2R"), "12.8 V ");
    EXPECT_EQ(Text("pnlDC_Set"), "54.0 V ");
    EXPECT_EQ(Snap().OperatingVolt, 540);
}

TEST_F(RectifierStatus, RecordEndingInTheHeadLeavesTheLaterControls)
{
    const RRecord r;
    try {
        monitor.DecodeRectifierStatus(r.Head().substr(0, 92)); // ends after the discharge abort voltage
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'$' is not a valid integer value"); // the first address byte
    }
    EXPECT_EQ(Text("pnlBattType"), "M12V90FT ");
    EXPECT_EQ(Snap().DischargeAbortVolt, 450);
    EXPECT_EQ(Text("pnlProgramVersion"), "V. (//) ");
    EXPECT_EQ(Text("pnlDate"), "// ");
    EXPECT_EQ(Text("pnlIP1"), "");
    EXPECT_EQ(Text("LabBOD"), "Battery on Float"); // never reached
}

TEST_F(RectifierStatus, RecordEndingAfterTheCommunitiesSetsTheBatteryStateOnly)
{
    RRecord r;
    r.battSign = "-";
    monitor.DecodeRectifierStatus(RxBodyOf('R', r.Head() + r.Communities()));
    EXPECT_EQ(Text("pnlWriteComuni"), "private");
    EXPECT_EQ(Text("LabBOD"), "Battery on Discharge");
    for (const char* untouched : {"pnlBHT", "pnlBLT", "pnlInitial_Time", "pnlBHT2", "pnlBLT2", "LabHealth", "LabBEntry",
                                  "pnlRCapa", "pnlRTime", "pnlCh_Time"})
        EXPECT_EQ(Text(untouched), "") << untouched;
    EXPECT_EQ(Snap().ExtBattStrings, 1);
    EXPECT_FALSE(monitor.Timer3().isActive());
}

TEST_F(RectifierStatus, RecordEndingInTheCommunitiesKeepsTheTailSilent)
{
    RRecord r;
    r.readCommunity = "community";
    const std::string cut = r.Head() + r.readCommunity.substr(0, 4);
    ASSERT_NO_THROW(monitor.DecodeRectifierStatus(RxBodyOf('R', cut)));
    EXPECT_EQ(Text("pnlReadComuni").substr(0, 5), "comm\x03");
    EXPECT_EQ(Text("pnlBHT"), "");
    EXPECT_EQ(Text("LabBOD"), "Battery on Charge");
}

TEST_F(RectifierStatus, RecordEndingInTheTailKeepsWhatItReached)
{
    const RRecord r;
    const std::string payload = r.Payload();
    const std::size_t n = 218 + r.Communities().size();
    monitor.DecodeRectifierStatus(RxBodyOf('R', payload.substr(0, n + 29))); // ends after the boost entry
    EXPECT_EQ(Text("pnlBLT2"), "20 C ");
    EXPECT_EQ(Text("LabBEntry"), "20% ");
    // Text fields take what is left; the next number ends the tail.
    EXPECT_EQ(Text("pnlRCapa"), ". % ");
    EXPECT_EQ(Text("pnlRTime"), " Hour ");
    EXPECT_EQ(Snap().LowVoltSelectA, 0);
    EXPECT_EQ(Text("pnlCh_Time"), "");
}

TEST_F(RectifierStatus, GarbageInTheTailEndsItSilently)
{
    RRecord r;
    r.strings = "x";
    ASSERT_NO_THROW(R(r));
    EXPECT_EQ(Text("pnlBLT2"), "20 C ");
    EXPECT_EQ(Text("LabHealth"), "");
    EXPECT_EQ(Snap().ExtBattStrings, 1);
}

TEST_F(RectifierStatus, LongestRecordArrivesWholeThroughTheReceiver)
{
    RRecord r;
    r.readCommunity = "readcomm9";
    r.writeCommunity = "writecom9";
    r.chargeStart = "12312359";
    const std::string frame = EncodeFrame("R" + r.Payload());
    FrameReceiver rx;
    rx.Assemble(frame.substr(0, 150));
    rx.Assemble(frame.substr(150));
    ASSERT_EQ(rx.FrameReady, 1);
    ASSERT_TRUE(rx.CutFrame());
    ASSERT_EQ(rx.RxType, 'R');
    monitor.DecodeRectifierStatus(rx.RxBody);
    EXPECT_EQ(Text("pnlReadComuni"), "readcomm9");
    EXPECT_EQ(Text("pnlWriteComuni"), "writecom9");
    EXPECT_EQ(Text("pnlCh_Time"), "12/31  23:59  ");
    EXPECT_EQ(Text("Label_BattAmp"), "Batt. Amp");
}

TEST_F(RectifierStatus, CommunityWithMarkupShowsAsItsCharacters)
{
    RRecord r;
    r.readCommunity = "<i>pub";
    R(r);
    EXPECT_EQ(Label("pnlReadComuni").textFormat(), Qt::PlainText);
    EXPECT_EQ(Text("pnlReadComuni"), "<i>pub");
}

TEST_F(RectifierStatus, InitialChargeFlagRunsAndStopsTimer2)
{
    RRecord r;
    r.initialActive = "1";
    R(r);
    EXPECT_TRUE(monitor.Timer2().isActive());
    EXPECT_EQ(monitor.Timer2().interval(), 100);
    for (int i = 0; i < 25; ++i)
        monitor.Timer2Timer();
    ASSERT_TRUE(Shown("Lab_Init_charge"));
    r.initialActive = "0";
    R(r);
    EXPECT_FALSE(monitor.Timer2().isActive());
    EXPECT_EQ(monitor.InitBlinkCount(), 0);
    EXPECT_FALSE(Shown("Lab_Init_charge"));
}

TEST_F(RectifierStatus, ManualTestFlagDrivesTimer3UnlessNoStrings)
{
    RRecord r;
    r.manual = "1";
    R(r);
    EXPECT_TRUE(monitor.Timer3().isActive());
    EXPECT_EQ(monitor.Timer3().interval(), 100);
    for (int i = 0; i < 12; ++i)
        monitor.Timer3Timer();
    ASSERT_TRUE(Shown("Label_Dch"));

    r.manual = "0";
    r.strings = "0";
    R(r);
    EXPECT_TRUE(monitor.Timer3().isActive());
    EXPECT_TRUE(Shown("Label_Dch"));
    EXPECT_EQ(Snap().ManualTestActive, 0);

    r.strings = "2";
    R(r);
    EXPECT_FALSE(monitor.Timer3().isActive());
    EXPECT_FALSE(Shown("Label_Dch"));
    EXPECT_EQ(monitor.TestBlinkCount(), 2); // 12 ticks, never reset from outside
}

TEST_F(RectifierStatus, Timer2BlinksAfterTwoSecondsOneSecondEach)
{
    // Visibility after each of the first 60 ticks.
    std::string seen;
    for (int tick = 1; tick <= 60; ++tick) {
        monitor.Timer2Timer();
        seen += Shown("Lab_Init_charge") ? '#' : '.';
    }
    EXPECT_EQ(seen, std::string(20, '.') + std::string(10, '#') + std::string(10, '.') + std::string(10, '#') +
                        std::string(10, '.'));
}

TEST_F(RectifierStatus, Timer3BlinksHalfASecondEach)
{
    std::string seen;
    for (int tick = 1; tick <= 30; ++tick) {
        monitor.Timer3Timer();
        seen += Shown("Label_Dch") ? '#' : '.';
    }
    EXPECT_EQ(seen, std::string(10, '.') + std::string(5, '#') + std::string(5, '.') + std::string(5, '#') +
                        std::string(5, '.'));
}

TEST_F(RectifierStatus, RunningTimerTicksThroughTheEventLoop)
{
    RRecord r;
    r.initialActive = "1";
    R(r);
    ASSERT_TRUE(WaitUntil([&] { return monitor.InitBlinkCount() >= 2; }, 2000));
}

} // namespace
