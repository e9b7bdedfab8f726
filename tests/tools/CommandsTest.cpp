// Commands applied to the simulated plant: apply masks decide which fields
// are taken, a value out of range among them refuses the whole command.

#include "sim/Commands.h"
#include "sim/PlantModel.h"

#include <gtest/gtest.h>

namespace zelt::sim {
namespace {

const QDateTime Now(QDate(2026, 3, 7), QTime(9, 8, 5));

PlantState Plant()
{
    PlantState s = MakePlant(Scenario{}, Now);
    s.readings.dcVolt = 535;
    s.readings.loadCurrent = 42;
    s.readings.battCurrent = 1;
    s.readings.blocks = {267, 268, 266, 267};
    return s;
}

// The nineteen 'O' fields in order, then the five masks.
std::string SystemPayload(const std::string& floatVolt, const std::string& masks, const std::string& dischargeTime = "060")
{
    return floatVolt + "565" "032" "1" "0" "3" "000" "000" "000" "000" "430" "009" "000" "000" "0" "000" + dischargeTime
         + "450" "455" + masks;
}

TEST(SystemSettings, MasksChooseTheFields)
{
    struct Case {
        const char* name;
        std::string payload;
        bool taken;
        int floatVolt, chargeMode, boostEntry, lvdOpen, lvdDelay, acFailMode, dischargeAlarm;
    };
    const Settings d; // the plant's own values
    const std::vector<Case> cases = {
        {"float only", SystemPayload("545", "10000"), true, 545, d.chargeMode, d.boostEntry, d.lvdOpenVolt, d.lvdDelay,
         d.acFailMode, d.dischargeAlarmVolt},
        {"no box ticked", SystemPayload("545", "00000"), true, d.floatVolt, d.chargeMode, d.boostEntry, d.lvdOpenVolt,
         d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"select all", SystemPayload("545", "FEEF7"), true, 545, 2, 3, 430, 9, 0, 450},
        {"charge mode and boost entry", SystemPayload("545", "82000"), true, d.floatVolt, 2, 3, d.lvdOpenVolt,
         d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"LVD", SystemPayload("545", "00030"), true, d.floatVolt, d.chargeMode, d.boostEntry, 430, 9, d.acFailMode,
         d.dischargeAlarmVolt},
        {"float out of range", SystemPayload("600", "10000"), false, d.floatVolt, d.chargeMode, d.boostEntry,
         d.lvdOpenVolt, d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"out of range but not ticked", SystemPayload("600", "00030"), true, d.floatVolt, d.chargeMode, d.boostEntry,
         430, 9, d.acFailMode, d.dischargeAlarmVolt},
        {"refusal takes nothing", SystemPayload("600", "FEEF7"), false, d.floatVolt, d.chargeMode, d.boostEntry,
         d.lvdOpenVolt, d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"discharge time beyond the echo", SystemPayload("545", "00001", "120"), false, d.floatVolt, d.chargeMode,
         d.boostEntry, d.lvdOpenVolt, d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"short payload", SystemPayload("545", "1000"), false, d.floatVolt, d.chargeMode, d.boostEntry, d.lvdOpenVolt,
         d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
        {"letter in a field", SystemPayload("5A5", "10000"), false, d.floatVolt, d.chargeMode, d.boostEntry,
         d.lvdOpenVolt, d.lvdDelay, d.acFailMode, d.dischargeAlarmVolt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlantState s = Plant();
        EXPECT_EQ(ApplyCommand(s, 'O', c.payload, Now), c.taken);
        EXPECT_EQ(s.settings.floatVolt, c.floatVolt);
        EXPECT_EQ(s.settings.chargeMode, c.chargeMode);
        EXPECT_EQ(s.settings.boostEntry, c.boostEntry);
        EXPECT_EQ(s.settings.lvdOpenVolt, c.lvdOpen);
        EXPECT_EQ(s.settings.lvdDelay, c.lvdDelay);
        EXPECT_EQ(s.settings.acFailMode, c.acFailMode);
        EXPECT_EQ(s.settings.dischargeAlarmVolt, c.dischargeAlarm);
    }
}

TEST(SystemSettings, BoostModeRaisesTheBus)
{
    PlantState s = Plant();
    ASSERT_TRUE(ApplySystemSettings(s, SystemPayload("535", "A0000"))); // equalize and charge mode
    UpdateReadings(s);
    EXPECT_NEAR(s.readings.dcVolt, 565, 1);
}

TEST(AlarmSettings, ThresholdsByMaskShelfAlways)
{
    // Default, Select All, Setting in the console's alarm dialog.
    PlantState s = Plant();
    s.settings.dcHighAlarmVolt = 590;
    ASSERT_TRUE(ApplyCommand(s, 'N', "580480440600050000F000F050000", Now));
    EXPECT_EQ(s.settings.dcHighAlarmVolt, 580);
    EXPECT_EQ(s.settings.ovShutdownVolt, 600);
    EXPECT_EQ(s.settings.batt1HighTemp, 50);
    EXPECT_EQ(s.shelf.contactsFitted, 0);
    EXPECT_FALSE(s.shelf.acUpperIn);
    EXPECT_EQ(s.shelf.modulesIn, 0);

    // Only DC low and battery 2 low temperature ticked; the shelf is taken anyway.
    PlantState t = Plant();
    ASSERT_TRUE(ApplyAlarmSettings(t, "590470430595040025" "2" "F" "D" "7" "8" "045" "030"));
    EXPECT_EQ(t.settings.dcHighAlarmVolt, Settings{}.dcHighAlarmVolt);
    EXPECT_EQ(t.settings.dcLowAlarmVolt, 470);
    EXPECT_EQ(t.settings.batt1LowTempCode, 0);
    EXPECT_EQ(t.settings.batt2HighTemp, 50);
    EXPECT_EQ(t.settings.batt2LowTempCode, 30);
    EXPECT_TRUE(t.shelf.batt1SensorFitted);
    EXPECT_TRUE(t.shelf.acUpperIn);
    EXPECT_TRUE(t.shelf.acLowerIn);
    EXPECT_EQ(t.shelf.modulesIn, 0x7);
}

TEST(AlarmSettings, RefusedValuesChangeNothing)
{
    for (const char* payload : {"555480440600050000" "1" "F" "D" "F" "0" "050000",   // DC high below 56.0
                                "580480440600050023" "0" "F" "D" "F" "2" "050000",   // no such low temperature code
                                "580480440600050000" "0" "0" "D" "F" "0" "05000",    // short
                                "580480440600050000" "0" "0" "D" "F" "0" "050000X"}) { // long
        SCOPED_TRACE(payload);
        PlantState s = Plant();
        EXPECT_FALSE(ApplyAlarmSettings(s, payload));
        EXPECT_EQ(s.settings.dcHighAlarmVolt, Settings{}.dcHighAlarmVolt);
        EXPECT_EQ(s.shelf.contactsFitted, 0xF);
    }
}

// A network payload as the console's dialog builds it.
std::string NetworkPayload(const std::string& mac, const std::string& masks, const std::string& read,
                           const std::string& write)
{
    const auto hex = [](std::size_t n) { return std::string(1, "0123456789ABCDEF"[n & 0xF]); };
    return mac + "0A000002" "0A000001" "FFFF0000" "0A00000A" "0" "0A00000B" "1" "0A000014" "0" "0" "0A000015" "1" "0"
         + "0A000016" "1" "0" "0A000017" "1" "0" + masks + hex(read.size()) + hex(write.size()) + read + write;
}

TEST(NetworkSettings, SelectAllTakesAllButTheMac)
{
    PlantState s = Plant();
    const Network before = s.network;
    ASSERT_TRUE(ApplyCommand(s, 'J', NetworkPayload("112233445566", "EFBD6C", "vantor", "quillet"), Now));
    const Network& n = s.network;
    EXPECT_EQ(n.mac, before.mac);
    EXPECT_EQ(n.ip.octets, (std::array<int, 4>{10, 0, 0, 2}));
    EXPECT_EQ(n.subnetMask.octets, (std::array<int, 4>{255, 255, 0, 0}));
    EXPECT_FALSE(n.server1On);
    EXPECT_TRUE(n.server2On);
    EXPECT_EQ(n.snmp[3].address.octets, (std::array<int, 4>{10, 0, 0, 23}));
    EXPECT_FALSE(n.snmp[0].enabled);
    EXPECT_TRUE(n.snmp[1].enabled);
    // The trap switches have mask bits the console never sets.
    EXPECT_EQ(n.snmp[0].traps, before.snmp[0].traps);
    EXPECT_EQ(n.readCommunity, "vantor");
    EXPECT_EQ(n.writeCommunity, "quillet");
}

TEST(NetworkSettings, SingleBitsAndRefusals)
{
    struct Case {
        const char* name;
        std::string payload;
        bool taken;
        std::string mac;
        int ipLast;
        std::string read;
    };
    const Network d;
    const std::vector<Case> cases = {
        {"MAC only", NetworkPayload("a1b2c3d4e5f6", "100000", "x", "y"), true, "A1B2C3D4E5F6", d.ip.octets[3], d.readCommunity},
        {"IP only", NetworkPayload("a1b2c3d4e5f6", "200000", "x", "y"), true, d.mac, 2, d.readCommunity},
        {"read community only", NetworkPayload("a1b2c3d4e5f6", "000004", "", "y"), true, d.mac, d.ip.octets[3], ""},
        {"MAC not hexadecimal", NetworkPayload("11223344556G", "300000", "x", "y"), false, d.mac, d.ip.octets[3], d.readCommunity},
        {"community the record cannot carry", NetworkPayload("112233445566", "200004", "longerthan9", "y"), false, d.mac,
         d.ip.octets[3], d.readCommunity},
        {"text beyond the length digit", NetworkPayload("112233445566", "200000", "x", "y") + "z", false, d.mac,
         d.ip.octets[3], d.readCommunity},
        {"octet out of layout", NetworkPayload("112233445566", "200000", "x", "y").replace(12, 2, "100"), false, d.mac,
         d.ip.octets[3], d.readCommunity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlantState s = Plant();
        EXPECT_EQ(ApplyNetworkSettings(s, c.payload), c.taken);
        EXPECT_EQ(s.network.mac, c.mac);
        EXPECT_EQ(s.network.ip.octets[3], c.ipLast);
        EXPECT_EQ(s.network.readCommunity, c.read);
    }
}

TEST(MeasureReferences, CalibrateTickedReadings)
{
    struct Case {
        const char* name;
        std::string payload;
        bool taken;
        int dcVolt, bank2;
    };
    const std::vector<Case> cases = {
        {"DC 53.70 V", "5371" "0001" "0001" "0001" "2701" "2701" "1" "0", true, 2, 0},
        {"bank 2 26.20 V", "5371" "0001" "0001" "0001" "2701" "2621" "0" "2", true, 0, -4},
        {"nothing ticked", "0001" "0001" "0001" "0001" "2701" "2701" "0" "0", true, 0, 0},
        {"the dialog's zero DC reference", "0001" "0001" "0001" "0001" "2701" "2701" "F" "3", false, 0, 0},
        {"sent value 0 is no reference", "0000" "0001" "0001" "0001" "2701" "2701" "1" "0", false, 0, 0},
        {"short", "5371" "0001" "0001" "0001" "2701" "2701" "1", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlantState s = Plant();
        EXPECT_EQ(ApplyCommand(s, 'M', c.payload, Now), c.taken);
        EXPECT_EQ(s.calibration.dcVolt, c.dcVolt);
        EXPECT_EQ(s.calibration.bank2, c.bank2);
    }
}

TEST(Clock, SetsTheControllerTimeThatRunsOn)
{
    PlantState s = Plant();
    ASSERT_TRUE(ApplyCommand(s, 'T', "20240705080903", Now));
    EXPECT_EQ(ControllerNow(s, Now), QDateTime(QDate(2024, 7, 5), QTime(8, 9, 3)));
    EXPECT_EQ(ControllerNow(s, Now.addSecs(61)), QDateTime(QDate(2024, 7, 5), QTime(8, 10, 4)));
    for (const char* bad : {"", "20240231080903", "20240705250903", "2024070508090", "2024070508090X"}) {
        SCOPED_TRACE(bad);
        PlantState t = Plant();
        EXPECT_FALSE(ApplyClock(t, bad, Now));
        EXPECT_EQ(t.clockOffsetSeconds, 0);
    }
}

TEST(InitialCharge, ProgramSetsTheDuration)
{
    const std::vector<std::pair<std::string, int>> programs = {{"15", 24}, {"23", 24}, {"42", 48}, {"84", 144}};
    for (const auto& [payload, hours] : programs) {
        SCOPED_TRACE(payload);
        PlantState s = Plant();
        ASSERT_TRUE(ApplyCommand(s, 'C', payload, Now));
        EXPECT_TRUE(s.initialCharge.active);
        EXPECT_EQ(s.initialCharge.state, 1);
        EXPECT_EQ(s.initialCharge.start.secsTo(s.initialCharge.end), hours * 3600);
    }
    for (const char* bad : {"02", "32", "1", "151"}) {
        PlantState s = Plant();
        EXPECT_FALSE(StartInitialCharge(s, bad, Now)) << bad;
        EXPECT_FALSE(s.initialCharge.active) << bad;
    }
}

TEST(InitialCharge, CompletesAtItsEnd)
{
    PlantState s = Plant();
    ASSERT_TRUE(StartInitialCharge(s, "15", Now));
    AdvancePlant(s, Now.addSecs(23 * 3600));
    EXPECT_TRUE(s.initialCharge.active);
    AdvancePlant(s, Now.addSecs(24 * 3600));
    EXPECT_FALSE(s.initialCharge.active);
    EXPECT_EQ(s.initialCharge.state, 2);
}

TEST(HistoryClear, OnlyTheConfirmedPayload)
{
    PlantState s = Plant();
    ASSERT_EQ(s.history.size(), 25u);
    EXPECT_FALSE(ApplyCommand(s, 'I', "", Now));
    EXPECT_FALSE(ApplyCommand(s, 'I', "0", Now));
    EXPECT_EQ(s.history.size(), 25u);
    EXPECT_TRUE(ApplyCommand(s, 'I', "1", Now));
    EXPECT_TRUE(s.history.empty());
}

TEST(BattTest, StoresTheBookkeeping)
{
    PlantState s = Plant();
    ASSERT_TRUE(ApplyCommand(s, 'G', "2014123121100085210981", Now));
    const BattTestBook& b = s.battTest;
    EXPECT_EQ(b.lastTestDate, "20141231");
    EXPECT_EQ(b.intervalCode, 2);
    EXPECT_EQ(b.typeCode, 1);
    EXPECT_EQ(b.previousCapacity, 100);
    EXPECT_EQ(b.latestCapacity, 85);
    EXPECT_EQ(b.verdict, 2);
    EXPECT_EQ(b.strings, 1);
    EXPECT_EQ(b.percentRated, 98);
    EXPECT_EQ(b.manualTest, 1);

    // Without strings the console sends 21 zeros.
    ASSERT_TRUE(StoreBattTest(s, std::string(21, '0')));
    EXPECT_EQ(s.battTest.lastTestDate, "00000000");
    EXPECT_EQ(s.battTest.strings, 0);

    for (const char* bad : {"2014023121100085210981", "2014123131100085210981", "2014123121100085410981",
                            "201412312110008521098", "20141231211000852109812"}) {
        PlantState t = Plant();
        EXPECT_FALSE(StoreBattTest(t, bad)) << bad;
        EXPECT_EQ(t.battTest.strings, 2) << bad;
    }
}

} // namespace
} // namespace zelt::sim
