#include "StatusFixture.h"

#include "protocol/FieldText.h"

using namespace zelt;
using namespace zelt::test;

namespace {

const char* const UnitLamps[] = {"UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR"};

class UnitStatus : public StatusFixture {
protected:
    void AllGroupsIn() { K("00000000F1FC00"); }
};

TEST_F(UnitStatus, PanelsShowTheMeasurements)
{
    URecord u;
    u.acVolt[1] = "098";
    U(u);
    const std::pair<const char*, const char*> expected[] = {
        {"pnlVolt1", "53.5 V "},  {"pnlVolt4", "53.8 V "},  {"pnlAmp1", "12.3 A "}, {"pnlAmp4", "12.6 A "},
        {"pnlTemp1", "0250 C "},  {"pnlTemp4", "0280 C "},  {"pnlACVolt1", "220V "}, {"pnlACVolt2", "98V "},
        {"pnlACVolt4", "223V "}};
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(Snap().UnitDcVolt[2], 536);
    EXPECT_EQ(Snap().UnitAcVolt[2], 98);
}

TEST_F(UnitStatus, BeforeAnyAlarmRecordEveryUnitLampIsGrey)
{
    U(URecord{});
    for (int n = 1; n <= 4; ++n)
        for (const char* prefix : UnitLamps)
            EXPECT_EQ(Lamp(prefix + std::to_string(n)), LampGrey) << prefix << n;
}

struct UnitBitCase {
    const char* lamp;
    const char* alarms;
};

void PrintTo(const UnitBitCase& c, std::ostream* os)
{
    *os << c.lamp;
}

class UnitBit : public UnitStatus, public ::testing::WithParamInterface<UnitBitCase> {};

TEST_P(UnitBit, TurnsItsLampRed)
{
    AllGroupsIn();
    URecord u;
    u.alarms[2] = GetParam().alarms;
    U(u);
    for (const char* prefix : UnitLamps) {
        const bool expectRed = std::string_view(prefix) == GetParam().lamp;
        EXPECT_EQ(Lamp(prefix + std::string("3")), expectRed ? LampRed : LampLime) << prefix;
        EXPECT_EQ(Lamp(prefix + std::string("2")), LampLime) << prefix;
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, UnitBit,
                         ::testing::Values(UnitBitCase{"UV", "80"}, UnitBitCase{"FF", "40"}, UnitBitCase{"OT", "20"},
                                           UnitBitCase{"OV", "10"}, UnitBitCase{"OC", "08"}, UnitBitCase{"SD", "02"},
                                           UnitBitCase{"None", "01"}));

TEST_F(UnitStatus, AcFailJudgesDeratingOnThePreviousAcVoltage)
{
    AllGroupsIn();
    URecord u;
    U(u); // AC 220 on unit 1
    u.alarms[0] = "04";
    u.acVolt[0] = "180";
    U(u);
    for (const char* lamp : {"AF1", "UV1", "SD1"})
        EXPECT_EQ(Lamp(lamp), LampRed) << lamp;
    EXPECT_EQ(Lamp("DR1"), LampLime);
    EXPECT_EQ(Text("pnlVolt1"), "53.5 V ");
    EXPECT_EQ(Snap().UnitAcFail[1], 1);

    U(u);
    EXPECT_EQ(Lamp("DR1"), LampRed);
    EXPECT_EQ(Text("pnlVolt1"), "0 V ");

    u.alarms[0] = "00";
    U(u);
    EXPECT_EQ(Text("pnlVolt1"), "0 V "); // judged on the previous record's AC fail
    EXPECT_EQ(Lamp("AF1"), LampLime);
    EXPECT_EQ(Lamp("DR1"), LampLime); // low AC alone does not derate
    u.alarms[0] = "01";
    U(u);
    EXPECT_EQ(Text("pnlVolt1"), "53.5 V ");
    EXPECT_EQ(Lamp("DR1"), LampRed);
}

TEST_F(UnitStatus, AbsentUnitKeepsItsAcFail)
{
    AllGroupsIn();
    URecord u;
    u.alarms[1] = "04";
    U(u);
    ASSERT_EQ(Snap().UnitAcFail[2], 1);
    K("00020000F1FC00"); // unit 2 absent
    u.alarms[1] = "00";
    U(u);
    EXPECT_EQ(Snap().UnitAcFail[2], 1);
    EXPECT_EQ(Lamp("AF2"), LampGrey);
    EXPECT_EQ(Text("pnlVolt2"), "0 V ");
}

struct BoostCase {
    const char* chargeMode;
    const char* sign;
    const char* unitVolt;
    QColor oc;
};

void PrintTo(const BoostCase& c, std::ostream* os)
{
    *os << "mode " << c.chargeMode << " sign " << c.sign << " volt " << c.unitVolt;
}

class UnitBoost : public UnitStatus, public ::testing::WithParamInterface<BoostCase> {};

TEST_P(UnitBoost, CurrentLimitLampGreyOnlyBelow54VoltsWhileBoostCharging)
{
    RRecord r;
    r.chargeMode = GetParam().chargeMode;
    r.battSign = GetParam().sign;
    R(r);
    AllGroupsIn();
    URecord u;
    u.dcVolt[0] = GetParam().unitVolt;
    u.alarms[0] = "08";
    U(u);
    EXPECT_EQ(Lamp("OC1"), GetParam().oc);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnitBoost,
                         ::testing::Values(BoostCase{"2", "+", "539", LampGrey}, BoostCase{"2", "+", "540", LampRed},
                                           BoostCase{"2", "-", "539", LampRed}, BoostCase{"1", "+", "539", LampRed}));

TEST_F(UnitStatus, MalformedFieldEndsTheRecordThere)
{
    AllGroupsIn();
    URecord u;
    u.temperature[3] = "0290";
    u.alarms[1] = "4G";
    try {
        U(u);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'$4G' is not a valid integer value");
    }
    EXPECT_EQ(Text("pnlTemp4"), "0290 C ");
    EXPECT_EQ(Lamp("FF1"), LampLime);
    EXPECT_EQ(Text("pnlACVolt1"), "");

    u.alarms[1] = "00";
    u.dcVolt[3] = "540";
    u.current[0] = "1.3";
    u.current[1] = "200";
    EXPECT_THROW(U(u), EConvertError);
    EXPECT_EQ(Text("pnlVolt4"), "54.0 V ");
    EXPECT_EQ(Text("pnlAmp2"), "12.4 A ");
}

TEST_F(UnitStatus, ShortRecordThrowsAtItsEnd)
{
    URecord u;
    const std::string payload = u.Payload();
    EXPECT_THROW(monitor.DecodeUnitStatus(RxBodyOf('U', payload.substr(0, 50))), EConvertError);
    EXPECT_EQ(Text("pnlACVolt1"), "");
    EXPECT_EQ(Text("pnlTemp4"), "0280 C ");
}

} // namespace
