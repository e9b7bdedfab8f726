// Every record the simulator sends, read back by the record layouts: each
// field is looked up at its own position and width, as the console's decoders
// would find it, so that a field out of place is caught by name.

#include "protocol/FrameCodec.h"
#include "sim/PlantModel.h"
#include "sim/Records.h"

#include <gtest/gtest.h>

namespace zelt::sim {
namespace {

struct Field {
    const char* name;
    std::size_t pos; // 1-based
    std::size_t width;
    const char* expected;
};

void ExpectFields(const std::string& payload, const std::vector<Field>& fields, std::size_t base = 1)
{
    for (const Field& f : fields) {
        const std::size_t at = base + f.pos - 1;
        ASSERT_LE(at - 1 + f.width, payload.size()) << f.name;
        EXPECT_EQ(payload.substr(at - 1, f.width), f.expected) << f.name << " at " << at;
    }
}

const QDateTime Now(QDate(2026, 3, 7), QTime(9, 8, 5));

// A plant whose every field holds a value of its own.
PlantState DistinctPlant()
{
    PlantState s = MakePlant(Scenario{}, Now);
    Readings& r = s.readings;
    r.dcVolt = 536;
    r.loadCurrent = 41;
    r.battCurrent = -7;
    r.batt1Temp = 253;
    r.secondTemp = -12;
    r.rackTemp = -45;
    r.blocks = {261, 262, 263, 264};
    Settings& t = s.settings;
    t.floatVolt = 535;
    t.equalizeVolt = 566;
    t.chargeLimit = 28;
    t.chargeMode = 1;
    t.dischargeTestOn = 1;
    t.tempCompOn = 1;
    t.eqChargeCurrent = 31;
    t.eqEndCurrent = 9;
    t.dischargeRate = 1234;
    t.dcHighAlarmVolt = 581;
    t.dcLowAlarmVolt = 479;
    t.battLowAlarmVolt = 441;
    t.ovShutdownVolt = 599;
    t.lvdOpenVolt = 425;
    t.lvdDelay = 7;
    t.acFailDropVolt = 445;
    t.battTypeCode = 50;
    t.acFailMode = 1;
    t.dischargeTime = 45;
    t.dischargeAlarmVolt = 446;
    t.dischargeAbortVolt = 447;
    t.boostEntry = 2;
    t.batt1HighTemp = 45;
    t.batt1LowTempCode = 25;
    t.batt2HighTemp = 46;
    t.batt2LowTempCode = 30;
    Network& n = s.network;
    n.mac = "0050C2A1B2C3";
    n.ip = {{10, 0, 255, 127}};
    n.gateway = {{10, 0, 255, 1}};
    n.subnetMask = {{255, 255, 240, 0}};
    n.server1 = {{10, 0, 255, 20}};
    n.server1On = true;
    n.server2 = {{10, 0, 255, 21}};
    n.server2On = false;
    n.snmp = {{{{{10, 1, 1, 1}}, true, false}, {{{10, 1, 1, 2}}, false, true},
               {{{10, 1, 1, 3}}, true, true}, {{{10, 1, 1, 4}}, false, false}}};
    n.readCommunity = "pub";
    n.writeCommunity = "secret7";
    s.initialCharge = {true, 1, QDateTime(QDate(2026, 3, 7), QTime(8, 0)), QDateTime(QDate(2026, 3, 8), QTime(20, 30))};
    s.battTest.lastTestDate = "20250402";
    s.battTest.intervalCode = 1;
    s.battTest.strings = 2;
    s.battTest.verdict = 2;
    s.battTest.manualTest = 1;
    return s;
}

TEST(RecordLayout, RectifierStatusHeadFieldByField)
{
    const std::string r = EncodeRectifierStatus(DistinctPlant(), Now);
    ExpectFields(r, {
        {"DC output voltage", 1, 3, "536"},
        {"load current", 4, 3, "041"},
        {"battery current sign", 7, 1, "-"},
        {"battery current", 8, 3, "007"},
        {"battery 1 temperature", 11, 4, "+253"},
        {"second temperature", 15, 4, "-012"},
        {"rack temperature", 19, 4, "-045"},
        {"blocks", 23, 12, "261262263264"},
        {"float", 35, 3, "535"},
        {"equalize", 38, 3, "566"},
        // An initial charge runs: the equalize voltage is in effect.
        {"operating", 41, 3, "566"},
        {"charge limit", 44, 3, "028"},
        {"charge mode", 47, 1, "1"},
        {"discharge test", 48, 1, "1"},
        {"temperature compensation", 49, 1, "1"},
        {"eq charge current", 50, 3, "031"},
        {"eq end current", 53, 3, "009"},
        {"initial charge active", 56, 1, "1"},
        {"initial charge state", 57, 1, "1"},
        {"discharge rate", 58, 4, "1234"},
        {"DC high alarm", 62, 3, "581"},
        {"DC low alarm", 65, 3, "479"},
        {"battery low alarm", 68, 3, "441"},
        {"OV shut-down", 71, 3, "599"},
        {"LVD open", 74, 3, "425"},
        {"LVD delay", 77, 2, "07"},
        {"AC-fail drop", 79, 3, "445"},
        {"battery type", 82, 2, "50"},
        {"AC fail mode", 84, 1, "1"},
        {"discharge time", 85, 2, "45"},
        {"discharge alarm", 87, 3, "446"},
        {"discharge abort", 90, 3, "447"},
        {"main firmware", 93, 8, "13241105"},
        {"alarm firmware", 101, 8, "11240620"},
        {"date", 109, 8, "20260307"},
        {"time", 117, 6, "090805"},
        {"MAC", 123, 12, "0050C2A1B2C3"},
        {"IP", 135, 8, "0A00FF7F"},
        {"gateway", 143, 8, "0A00FF01"},
        {"subnet mask", 151, 8, "FFFFF000"},
        {"server 1", 159, 9, "0A00FF141"},
        {"server 2", 168, 9, "0A00FF150"},
        {"SNMP 1", 177, 10, "0A01010110"},
        {"SNMP 2", 187, 10, "0A01010201"},
        {"SNMP 3", 197, 10, "0A01010311"},
        {"SNMP 4", 207, 10, "0A01010400"},
        {"community lengths", 217, 2, "37"},
        {"communities", 219, 10, "pubsecret7"},
    });
}

TEST(RecordLayout, RectifierStatusTailFieldByField)
{
    const std::string r = EncodeRectifierStatus(DistinctPlant(), Now);
    const std::size_t n = 219 + 3 + 7;
    ASSERT_EQ(r.size(), n - 1 + 67);
    ExpectFields(r, {
        {"battery 1 high temperature", 1, 2, "45"},
        {"battery 1 low temperature", 3, 2, "25"},
        {"initial charge end", 5, 8, "03082030"},
        {"battery 2 high temperature", 13, 2, "46"},
        {"battery 2 low temperature", 15, 2, "30"},
        {"last battery test", 17, 8, "20250402"},
        {"test interval", 25, 1, "1"},
        {"battery strings", 26, 1, "2"},
        {"verdict", 27, 1, "2"},
        {"manual test", 28, 1, "1"},
        {"boost entry", 29, 1, "2"},
        {"remaining capacity state", 46, 1, "1"},
        {"health valid", 57, 1, "1"},
        {"charge start", 60, 8, "03070800"},
    }, n);
    // Every character of the tail converts as the console expects.
    for (const char c : r.substr(n - 1))
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << r.substr(n - 1);
}

TEST(RecordLayout, RectifierStatusWithoutInitialChargeShowsNoTimes)
{
    PlantState s = DistinctPlant();
    s.initialCharge = {};
    const std::string r = EncodeRectifierStatus(s, Now);
    const std::size_t n = 229;
    ExpectFields(r, {{"initial charge active", 56, 1, "0"}, {"operating", 41, 3, "535"}});
    ExpectFields(r, {{"initial charge end", 5, 8, "00000000"}, {"charge start", 60, 8, "00000000"}}, n);
}

TEST(RecordLayout, DefaultRectifierStatusFitsTheConsolesCut)
{
    // The console keeps 298 characters of a body; the default communities
    // leave the record exactly that long, the tail complete.
    const std::string r = EncodeRectifierStatus(MakePlant(Scenario{}, Now), Now);
    EXPECT_EQ(r.size(), 285u + 6 + 7);
    EXPECT_LE(r.size(), FrameCutLength - 2);
}

TEST(RecordLayout, AlarmStatusDigits)
{
    PlantState s = MakePlant(Scenario{}, Now);
    s.alarms = {2, true, true};
    s.shelf.modulesIn = 0xB;
    s.shelf.acLowerIn = false;
    s.shelf.contactsFitted = 0x3;
    s.settings.floatVolt = 535;
    UpdateReadings(s);
    const std::string k = EncodeAlarmStatus(s);
    ASSERT_EQ(k.size(), 14u);
    ExpectFields(k, {
        {"K2 battery 1 breaker", 2, 1, "2"},
        {"K3 unit 2 fail", 3, 1, "2"},
        {"K4 unit 3 absent", 4, 1, "4"},
        {"K7 battery discharge", 7, 1, "2"},
        {"K9 contacts fitted", 9, 1, "3"},
        {"K10 sensor fitted", 10, 1, "1"},
        {"K11 modules in", 11, 1, "B"},
        {"K12 upper AC only", 12, 1, "4"},
        {"K13 ACF and BF", 13, 1, "9"},
        {"K14", 14, 1, "0"},
    });
}

TEST(RecordLayout, AlarmStatusOfAQuietPlant)
{
    PlantState s = MakePlant(Scenario{}, Now);
    EXPECT_EQ(EncodeAlarmStatus(s), "00000000F1FC00");
}

TEST(RecordLayout, UnitStatusFieldByField)
{
    PlantState s = MakePlant(Scenario{}, Now);
    s.readings.units = {{{535, 105, 321, 0x00, 224}, {0, 0, 98, 0x04, 0}, {536, 99, 330, 0x40, 98}, {534, 1, 305, 0xFF, 231}}};
    const std::string u = EncodeUnitStatus(s);
    ASSERT_EQ(u.size(), 60u);
    ExpectFields(u, {
        {"DC voltages", 1, 12, "535000536534"},
        {"currents", 13, 12, "105000099001"},
        {"temperatures", 25, 16, "32.1 9.833.030.5"},
        {"alarm bits", 41, 8, "000440FF"},
        {"AC voltages", 49, 12, "224000098231"},
    });
}

TEST(RecordLayout, HistoryRecordFieldByField)
{
    HistoryEntry e;
    e.when = QDateTime(QDate(2026, 1, 30), QTime(23, 59, 7));
    e.dcVolt = 501;
    e.loadCurrent = 43;
    e.battCurrent = -38;
    e.battTemp = 254;
    e.blocks = {250, 251, 252, 249};
    e.alarmDigits = {1, 3, 0, 0, 2, 0, 0xA, 0};
    for (const bool last : {false, true}) {
        const std::string h = EncodeHistoryRecord(e, 17, last);
        ASSERT_EQ(h.size(), 52u);
        ExpectFields(h, {
            {"status", 1, 1, last ? "8" : "0"},
            {"number", 2, 3, "017"},
            {"date", 5, 8, "20260130"},
            {"time", 13, 6, "235907"},
            {"DC", 19, 3, "501"},
            {"LC", 22, 3, "043"},
            {"BC", 25, 4, "-038"},
            {"BT", 29, 4, "0254"},
            {"BL1", 33, 3, "250"},
            {"BR1", 36, 3, "251"},
            {"BL2", 39, 3, "252"},
            {"BR2", 42, 3, "249"},
            {"alarm digits", 45, 8, "130020A0"},
        });
    }
}

TEST(RecordLayout, BattTestBody)
{
    BattTestBook book;
    book.lastTestDate = "20141231";
    book.intervalCode = 2;
    book.typeCode = 1;
    book.previousCapacity = 100;
    book.latestCapacity = 85;
    book.verdict = 2;
    book.strings = 1;
    EXPECT_EQ(EncodeBattTestBody(book), "201412312110008521");
}

TEST(RecordLayout, FramesCarryTheBodyChecksum)
{
    const PlantState s = DistinctPlant();
    for (const std::string& body : {"R" + EncodeRectifierStatus(s, Now), "K" + EncodeAlarmStatus(s),
                                    "U" + EncodeUnitStatus(s), "L" + EncodeBattTestBody(s.battTest)}) {
        const std::string frame = EncodeFrame(body);
        unsigned sum = 0;
        for (const char c : body)
            sum += static_cast<unsigned char>(c);
        ASSERT_EQ(frame.size(), body.size() + 3);
        EXPECT_EQ(frame.front(), '\x02');
        EXPECT_EQ(frame[frame.size() - 2], '\x03');
        EXPECT_EQ(static_cast<unsigned char>(frame.back()), sum % 256) << body[0];
        EXPECT_EQ(body.find_first_of("\x02\x03"), std::string::npos) << body[0];
    }
}

} // namespace
} // namespace zelt::sim
