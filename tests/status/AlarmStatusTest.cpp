#include "StatusFixture.h"

#include "protocol/FieldText.h"

using namespace zelt;
using namespace zelt::test;

namespace {

using AlarmStatus = StatusFixture;

// Every item fitted and in, no alarm: K9 F, K10 1, K11 F, K12 C.
const std::string Quiet = "00000000F1FC00";

// Quiet with bit b of digit d (1-based) set.
std::string WithBit(int d, int b)
{
    std::string k = Quiet;
    const int value = StrToInt("$" + k.substr(d - 1, 1)) | (1 << b);
    k[d - 1] = "0123456789ABCDEF"[value];
    return k;
}

struct BitCase {
    const char* lamp;
    int digit;
    int bit;
};

void PrintTo(const BitCase& c, std::ostream* os)
{
    *os << c.lamp;
}

class AlarmBit : public StatusFixture, public ::testing::WithParamInterface<BitCase> {};

const BitCase AlarmBits[] = {BitCase{"OV", 1, 1}, BitCase{"UV", 1, 2}, BitCase{"BR1", 2, 0}, BitCase{"BF1", 2, 1},
                      BitCase{"BR2", 2, 2}, BitCase{"BF2", 2, 3}, BitCase{"UF1", 3, 0}, BitCase{"UF2", 3, 1},
                      BitCase{"UF3", 3, 2}, BitCase{"UF4", 3, 3}, BitCase{"DNFB", 5, 0}, BitCase{"BLTF2", 5, 1},
                      BitCase{"BTEMP1", 5, 2}, BitCase{"RTEMP", 5, 3}, BitCase{"BK1_CEL1", 6, 0},
                      BitCase{"BK1_CEL2", 6, 1}, BitCase{"BK2_CEL1", 6, 2}, BitCase{"BK2_CEL2", 6, 3},
                      BitCase{"Arm_Cmu", 7, 0}, BitCase{"BDCH", 7, 1}, BitCase{"SC", 7, 2}, BitCase{"AF_U", 7, 3},
                      BitCase{"AF_L", 8, 0}, BitCase{"BHTF", 8, 1}, BitCase{"BLTF", 8, 2}, BitCase{"BHTF2", 8, 3},
                      BitCase{"HW_A1", 13, 0}, BitCase{"HW_A2", 13, 1}, BitCase{"HW_A3", 13, 2},
                      BitCase{"HW_A4", 13, 3}};

TEST_P(AlarmBit, TurnsItsLampRedAndOnlyThat)
{
    RRecord r;
    r.strings = "2"; // every battery lamp live
    R(r);
    K(WithBit(GetParam().digit, GetParam().bit));
    for (const BitCase& other : AlarmBits)
        EXPECT_EQ(Lamp(other.lamp), std::string_view(other.lamp) == GetParam().lamp ? LampRed : LampLime) << other.lamp;
    K(Quiet);
    EXPECT_EQ(Lamp(GetParam().lamp), LampLime);
}

INSTANTIATE_TEST_SUITE_P(Lamps, AlarmBit, ::testing::ValuesIn(AlarmBits));

TEST_F(AlarmStatus, NotHexadecimalChangesNothing)
{
    for (const std::string bad : {"00000000F1FCG0", "0000", "", "00000000 1FC00"}) {
        EXPECT_THROW(K(bad), EConvertError) << bad;
    }
    try {
        monitor.DecodeAlarmStatus("FFFFFFFFFFFFGF");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'$G' is not a valid integer value");
    }
    for (const char* lamp : {"OV", "BE", "BR1", "UF1", "BTEMP1", "HW_A4", "AF_U"})
        EXPECT_EQ(Lamp(lamp), LampLime) << lamp;
    EXPECT_EQ(Text("pnlRM1"), "");
    EXPECT_EQ(Snap().UnitPresent[1], 1);
}

TEST_F(AlarmStatus, NothingFittedGreysTheBatteryItems)
{
    K("FFFFFF" "FF" "0" "1FCF" "0"); // every alarm bit set, K9 = 0
    for (const char* lamp : {"BE", "BDCH", "BR1", "BF1", "BR2", "BF2", "BK1_CEL1", "BK1_CEL2", "BK2_CEL1", "BK2_CEL2"})
        EXPECT_EQ(Lamp(lamp), LampGrey) << lamp;
    EXPECT_EQ(Snap().BR1Fitted + Snap().BF1Fitted + Snap().BR2Fitted + Snap().BF2Fitted, 0);
    EXPECT_EQ(Lamp("OV"), LampRed);
}

TEST_F(AlarmStatus, FittedFlagsFollowK9)
{
    K("00000000" "5" "1FC00");
    EXPECT_EQ(Snap().BR1Fitted, 1);
    EXPECT_EQ(Snap().BF1Fitted, 0);
    EXPECT_EQ(Snap().BR2Fitted, 1);
    EXPECT_EQ(Snap().BF2Fitted, 0);
    EXPECT_EQ(Lamp("BF1"), LampGrey);
    EXPECT_EQ(Lamp("BR2"), LampLime);
    // Either bank lamp pair lives when any item of its bank is fitted.
    EXPECT_EQ(Lamp("BK1_CEL2"), LampLime);
    EXPECT_EQ(Lamp("BK2_CEL1"), LampLime);
}

TEST_F(AlarmStatus, UpperGroupOnlyGreysTheLowerUnits)
{
    K("00000000F1F400");
    EXPECT_EQ(Text("pnlAC1"), "IN ");
    EXPECT_EQ(Text("pnlAC2"), "OUT ");
    for (const char* lamp : {"AF_L", "UF3", "UF4"})
        EXPECT_EQ(Lamp(lamp), LampGrey) << lamp;
    EXPECT_EQ(Lamp("UF1"), LampLime);
    EXPECT_EQ(Snap().UnitPresent[3], 0);
    EXPECT_EQ(Snap().UnitPresent[2], 1);

    U(URecord{});
    for (const char* prefix : {"UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR"}) {
        EXPECT_EQ(Lamp(std::string(prefix) + "3"), LampGrey) << prefix;
        EXPECT_EQ(Lamp(std::string(prefix) + "4"), LampGrey) << prefix;
        EXPECT_EQ(Lamp(std::string(prefix) + "1"), LampLime) << prefix;
    }
}

TEST_F(AlarmStatus, AbsentUnitGreysItsFailLamp)
{
    K("00F20000F1FC00"); // all units failing, unit 2 absent
    EXPECT_EQ(Lamp("UF1"), LampRed);
    EXPECT_EQ(Lamp("UF2"), LampGrey);
    EXPECT_EQ(Snap().UnitPresent[2], 0);
    EXPECT_EQ(Snap().UnitPresent[4], 1);
}

TEST_F(AlarmStatus, PresenceTextsAndFlags)
{
    K("00000000F" "1" "5" "800");
    const char* expected[] = {"IN ", "OUT ", "IN ", "OUT "};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(Text(("pnlRM" + std::to_string(n)).c_str()), expected[n - 1]);
        EXPECT_EQ(Snap().ModuleIn[n], n % 2);
    }
    EXPECT_EQ(Text("pnlAC1"), "OUT ");
    EXPECT_EQ(Text("pnlAC2"), "IN ");
    EXPECT_EQ(Snap().AcUpperIn, 0);
    EXPECT_EQ(Snap().AcLowerIn, 1);
    EXPECT_EQ(Lamp("AF_U"), LampGrey);
}

TEST_F(AlarmStatus, BatterySensorNotFittedGreysItsLamp)
{
    K("0000F000F0FC00");
    EXPECT_EQ(Lamp("BTEMP1"), LampGrey);
    EXPECT_EQ(Snap().Batt1SensorFitted, 0);
    EXPECT_EQ(Lamp("RTEMP"), LampRed);
    K("00000000F1FC00");
    EXPECT_EQ(Snap().Batt1SensorFitted, 1);
}

TEST_F(AlarmStatus, BothLowVoltSelectsGreyUvAndDcfButLetBeLive)
{
    RRecord r;
    r.lowVoltA = "1";
    r.lowVoltB = "1";
    R(r);
    K("E0000000F1FC20");
    EXPECT_EQ(Lamp("UV"), LampGrey);
    EXPECT_EQ(Lamp("HW_A2"), LampGrey);
    EXPECT_EQ(Lamp("BE"), LampRed);
    K("00000000F1FC00");
    EXPECT_EQ(Lamp("BE"), LampLime);
}

TEST_F(AlarmStatus, OneLowVoltSelectGreysBe)
{
    RRecord r;
    r.lowVoltA = "1";
    R(r);
    K("E0000000F1FC20");
    EXPECT_EQ(Lamp("BE"), LampGrey);
    EXPECT_EQ(Lamp("UV"), LampRed);
    EXPECT_EQ(Lamp("HW_A2"), LampRed);
}

struct StringsCase {
    const char* strings;
    QColor bhtf, bltf, bhtf2, bltf2;
};

void PrintTo(const StringsCase& c, std::ostream* os)
{
    *os << c.strings << " strings";
}

class AlarmStrings : public StatusFixture, public ::testing::WithParamInterface<StringsCase> {};

TEST_P(AlarmStrings, BatteryTemperatureLampsFollowTheStringCount)
{
    RRecord r;
    r.strings = GetParam().strings;
    R(r);
    K("0000200EF1FC00"); // K5.1 and K8.1 to 8.3 set
    EXPECT_EQ(Lamp("BHTF"), GetParam().bhtf);
    EXPECT_EQ(Lamp("BLTF"), GetParam().bltf);
    EXPECT_EQ(Lamp("BHTF2"), GetParam().bhtf2);
    EXPECT_EQ(Lamp("BLTF2"), GetParam().bltf2);
}

INSTANTIATE_TEST_SUITE_P(Counts, AlarmStrings,
                         ::testing::Values(StringsCase{"0", LampGrey, LampGrey, LampGrey, LampGrey},
                                           StringsCase{"1", LampRed, LampRed, LampGrey, LampGrey},
                                           StringsCase{"2", LampRed, LampRed, LampRed, LampRed}));

} // namespace
