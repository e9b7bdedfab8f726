// Metrics from decoded status records: every series of a plant whose values
// are all told apart, the lamps of each kind, and what a plant that has gone
// silent still serves.

#include "exporter/FleetMetrics.h"
#include "exporter/PlantDecoder.h"
#include "exporter/Series.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace zelt {
namespace {

using test::Series;
using namespace std::chrono_literals;

const std::string BaseR =
    "534041+001+253+000+270268266266268535565535032101030010001500580480440600420054404916044044013241105112406202"
    "02612081955300050C2A1B2C3C0A80A64C0A80A01FFFFFF00C0A80A141C0A80A150C0A80A1E11C0A80A1F00C0A80A2000C0A80A21006"
    "7publicprivate5000000000005000202610092210100000000000000001100000000010000000000";
const std::string BaseK = "00000000F1FC00";
const std::string BaseU = "53353453553310810310310433.432.933.233.300000000223223222223";

// Measurements and settings, each value of a family different: DC 53.4 V,
// load 41 A, battery -17 A, temperatures +25.3 and -3.5 C, the four blocks,
// charge mode 2, discharge test on, the settings from 58.1 V float down.
const char* const DistinctHead =
    "534041-017+253+000-0352682662642625355655350322110310110015005814824436044250544649160447438";

struct Patch {
    std::size_t at; // index into the record body
    const char* text;
};

// A plant's sample after a 'K', a 'U' and an 'R' record, each patched.
PlantSample Decoded(const std::vector<Patch>& k, const std::vector<Patch>& u, const std::vector<Patch>& r)
{
    PlantDecoder decoder;
    PlantSample sample;
    for (const auto& [type, base, patches] : {std::tuple{'K', BaseK, k}, std::tuple{'U', BaseU, u}, std::tuple{'R', BaseR, r}}) {
        std::string body = base;
        for (const Patch& patch : patches)
            body.replace(patch.at, std::strlen(patch.text), patch.text);
        EXPECT_TRUE(decoder.Decode(type, body, sample));
    }
    return sample;
}

std::map<std::string, double> Scrape(const PlantSample& sample, std::chrono::seconds age)
{
    return Series(FleetFamilies({test::PlantP}, {sample}, *sample.lastRecord + age));
}

TEST(ExporterMetrics, EveryReadingInItsUnitUnderItsLabels)
{
    // Unit 3 absent; units and settings all different.
    PlantSample sample = Decoded({{3, "4"}}, {{0, "533534535536108103104105"}, {48, "223224222225"}},
                                 {{0, DistinctHead}, {247, "20250115"}, {255, "2"}, {257, "2"}});
    sample.framesReceived = 7;
    sample.badChecksums = 3;
    sample.reopens = 2;
    std::map<std::string, double> readings = Scrape(sample, 5s);
    std::erase_if(readings, [](const auto& s) { return s.first.starts_with("zelt_alarm{") || s.first.starts_with("zelt_rectifier_alarm{"); });
    const std::map<std::string, double> expected{
        {"zelt_dc_output_volts{}", 53.4}, {"zelt_load_current_amperes{}", 41}, {"zelt_battery_current_amperes{}", -17},
        {"zelt_battery_temperature_celsius{}", 25.3}, {"zelt_rack_temperature_celsius{}", -3.5},
        {"zelt_battery_block_volts{block=\"1\"}", 26.8}, {"zelt_battery_block_volts{block=\"2\"}", 26.6},
        {"zelt_battery_block_volts{block=\"3\"}", 26.4}, {"zelt_battery_block_volts{block=\"4\"}", 26.2},
        {"zelt_rectifier_output_volts{unit=\"1\"}", 53.3}, {"zelt_rectifier_output_volts{unit=\"2\"}", 53.4},
        {"zelt_rectifier_output_volts{unit=\"3\"}", 53.5}, {"zelt_rectifier_output_volts{unit=\"4\"}", 53.6},
        {"zelt_rectifier_output_current_amperes{unit=\"1\"}", 10.8}, {"zelt_rectifier_output_current_amperes{unit=\"2\"}", 10.3},
        {"zelt_rectifier_output_current_amperes{unit=\"3\"}", 10.4}, {"zelt_rectifier_output_current_amperes{unit=\"4\"}", 10.5},
        {"zelt_rectifier_temperature_celsius{unit=\"1\"}", 33.4}, {"zelt_rectifier_temperature_celsius{unit=\"2\"}", 32.9},
        {"zelt_rectifier_temperature_celsius{unit=\"3\"}", 33.2}, {"zelt_rectifier_temperature_celsius{unit=\"4\"}", 33.3},
        {"zelt_rectifier_ac_input_volts{unit=\"1\"}", 223}, {"zelt_rectifier_ac_input_volts{unit=\"2\"}", 224},
        {"zelt_rectifier_ac_input_volts{unit=\"3\"}", 222}, {"zelt_rectifier_ac_input_volts{unit=\"4\"}", 225},
        {"zelt_rectifier_present{unit=\"1\"}", 1}, {"zelt_rectifier_present{unit=\"2\"}", 1},
        {"zelt_rectifier_present{unit=\"3\"}", 0}, {"zelt_rectifier_present{unit=\"4\"}", 1},
        {"zelt_setting_volts{setting=\"float\"}", 53.5}, {"zelt_setting_volts{setting=\"equalize\"}", 56.5},
        {"zelt_setting_volts{setting=\"dc_high_alarm\"}", 58.1}, {"zelt_setting_volts{setting=\"dc_low_alarm\"}", 48.2},
        {"zelt_setting_volts{setting=\"battery_low_alarm\"}", 44.3},
        {"zelt_setting_volts{setting=\"overvoltage_shutdown\"}", 60.4}, {"zelt_setting_volts{setting=\"lvd_open\"}", 42.5},
        {"zelt_setting_volts{setting=\"ac_fail_drop\"}", 44.6}, {"zelt_setting_volts{setting=\"discharge_alarm\"}", 44.7},
        {"zelt_setting_volts{setting=\"discharge_abort\"}", 43.8}, {"zelt_setting_amperes{setting=\"charge_limit\"}", 32},
        {"zelt_setting_amperes{setting=\"equalize_charge\"}", 31}, {"zelt_setting_amperes{setting=\"equalize_end\"}", 11},
        {"zelt_charge_mode{}", 2}, {"zelt_discharge_test_active{}", 1}, {"zelt_battery_verdict{}", 2},
        {"zelt_battery_next_test_timestamp_seconds{}",
         static_cast<double>(QDateTime(QDate(2027, 1, 15), QTime(0, 0)).toSecsSinceEpoch())},
        {"zelt_plant_up{}", 1}, {"zelt_last_record_timestamp_seconds{}", sample.lastRecordSeconds},
        {"zelt_frames_received_total{}", 7}, {"zelt_frames_bad_checksum_total{}", 3}, {"zelt_line_reopens_total{}", 2},
        {"zelt_exporter_build_info{version=\"" ZELT_VERSION "\"}", 1},
    };
    EXPECT_EQ(readings, expected);
}

struct SeriesRow {
    std::vector<Patch> k;
    std::vector<Patch> u;
    std::vector<Patch> r;
    const char* series;
    std::optional<double> value; // none: no such series
};

TEST(ExporterMetrics, LampsByFamilyNoGreyOnesAndTheTestFlag)
{
    const SeriesRow rows[] = {
        {{{0, "2"}}, {}, {}, "zelt_alarm{alarm=\"OV\"}", 1},
        {{}, {{40, "00000010"}}, {}, "zelt_alarm{alarm=\"OV\"}", 0},
        {{}, {{40, "00000010"}}, {}, "zelt_rectifier_alarm{unit=\"4\",alarm=\"OV\"}", 1},
        {{}, {{40, "00000040"}}, {}, "zelt_rectifier_alarm{unit=\"4\",alarm=\"FF\"}", 1},
        {{}, {{40, "00000040"}}, {}, "zelt_rectifier_alarm{unit=\"3\",alarm=\"FF\"}", 0},
        {{{2, "8"}}, {}, {}, "zelt_rectifier_alarm{unit=\"4\",alarm=\"UF\"}", 1},
        {{{2, "8"}}, {}, {}, "zelt_rectifier_alarm{unit=\"3\",alarm=\"UF\"}", 0},
        {{{2, "8"}}, {}, {}, "zelt_alarm{alarm=\"UF4\"}", std::nullopt},
        {{{2, "8"}}, {}, {}, "zelt_rectifier_alarm{unit=\"4\",alarm=\"UF4\"}", std::nullopt},
        // Unit 1 absent: neither its own lamps nor its fail lamp apply.
        {{{3, "1"}, {2, "1"}}, {{40, "40"}}, {}, "zelt_rectifier_alarm{unit=\"1\",alarm=\"FF\"}", std::nullopt},
        {{{3, "1"}, {2, "1"}}, {}, {}, "zelt_rectifier_alarm{unit=\"1\",alarm=\"UF\"}", std::nullopt},
        {{{3, "1"}}, {}, {}, "zelt_rectifier_alarm{unit=\"2\",alarm=\"UF\"}", 0},
        // The lower AC group out: its lamp and units 3 and 4 do not apply.
        {{{7, "1"}, {11, "4"}}, {}, {}, "zelt_alarm{alarm=\"AF_L\"}", std::nullopt},
        {{{6, "8"}, {11, "4"}}, {}, {}, "zelt_alarm{alarm=\"AF_U\"}", 1},
        {{{11, "4"}}, {}, {}, "zelt_rectifier_alarm{unit=\"4\",alarm=\"AF\"}", std::nullopt},
        // No LVD or breaker fitted, no battery 1 sensor.
        {{{1, "1"}, {8, "0"}}, {}, {}, "zelt_alarm{alarm=\"BR1\"}", std::nullopt},
        {{{1, "1"}}, {}, {}, "zelt_alarm{alarm=\"BR1\"}", 1},
        {{{4, "4"}, {9, "0"}}, {}, {}, "zelt_alarm{alarm=\"BTEMP1\"}", std::nullopt},
        {{{4, "4"}}, {}, {}, "zelt_alarm{alarm=\"BTEMP1\"}", 1},
        // The discharge test flag or the manual test flag.
        {{}, {}, {{47, "0"}, {258, "0"}}, "zelt_discharge_test_active{}", 0},
        {{}, {}, {{47, "1"}, {258, "0"}}, "zelt_discharge_test_active{}", 1},
        {{}, {}, {{47, "0"}, {258, "1"}}, "zelt_discharge_test_active{}", 1},
    };
    for (const SeriesRow& row : rows) {
        SCOPED_TRACE(row.series);
        const std::map<std::string, double> series = Scrape(Decoded(row.k, row.u, row.r), 1s);
        const auto it = series.find(row.series);
        ASSERT_EQ(it != series.end(), row.value.has_value());
        if (row.value)
            EXPECT_EQ(it->second, *row.value);
    }
}

TEST(ExporterMetrics, ASilentPlantServesItsLineFiguresAlone)
{
    const PlantSample sample = Decoded({}, {}, {});
    for (const std::chrono::seconds age : {10s, 11s}) {
        std::set<std::string> families;
        for (const prometheus::MetricFamily& family : FleetFamilies({test::PlantP}, {sample}, *sample.lastRecord + age))
            families.insert(family.name);
        if (age == 10s) {
            EXPECT_EQ(families.count("zelt_dc_output_volts"), 1u);
            continue;
        }
        EXPECT_EQ(families, (std::set<std::string>{"zelt_plant_up", "zelt_last_record_timestamp_seconds",
                                                   "zelt_frames_received_total", "zelt_frames_bad_checksum_total",
                                                   "zelt_line_reopens_total", "zelt_exporter_build_info"}));
        EXPECT_EQ(Scrape(sample, age)["zelt_plant_up{}"], 0);
    }
    // A plant without a sample, or a sample without a plant, has no series.
    EXPECT_EQ(Series(FleetFamilies({test::PlantP, {{"plant", "q"}}}, {sample}, *sample.lastRecord)).size(),
              Scrape(sample, 0s).size());
    EXPECT_EQ(Series(FleetFamilies({test::PlantP}, {sample, sample}, *sample.lastRecord)).size(),
              Scrape(sample, 0s).size());
}

// Only the records of one kind stopped: the values they carry go.
TEST(ExporterMetrics, ValuesOfARecordKindThatStoppedVanish)
{
    struct Row {
        std::optional<PlantSample::TimePoint> PlantSample::*stopped;
        std::vector<const char*> gone;
        std::vector<const char*> kept;
    };
    const Row rows[] = {
        {&PlantSample::rectifierAt,
         {"zelt_dc_output_volts{}", "zelt_setting_volts{setting=\"float\"}", "zelt_battery_temperature_celsius{}"},
         {"zelt_alarm{alarm=\"OV\"}", "zelt_rectifier_output_volts{unit=\"1\"}"}},
        {&PlantSample::alarmsAt,
         {"zelt_alarm{alarm=\"OV\"}", "zelt_rectifier_alarm{unit=\"1\",alarm=\"UF\"}", "zelt_rectifier_present{unit=\"1\"}",
          "zelt_battery_temperature_celsius{}"},
         {"zelt_dc_output_volts{}", "zelt_rectifier_alarm{unit=\"1\",alarm=\"FF\"}"}},
        {&PlantSample::unitsAt,
         {"zelt_rectifier_output_volts{unit=\"1\"}", "zelt_rectifier_output_current_amperes{unit=\"1\"}",
          "zelt_rectifier_temperature_celsius{unit=\"1\"}", "zelt_rectifier_ac_input_volts{unit=\"1\"}",
          "zelt_rectifier_alarm{unit=\"1\",alarm=\"FF\"}"},
         {"zelt_rectifier_alarm{unit=\"1\",alarm=\"UF\"}", "zelt_rectifier_present{unit=\"1\"}"}},
    };
    for (const Row& row : rows) {
        PlantSample sample = Decoded({}, {}, {});
        sample.*row.stopped = *sample.lastRecord - 2s;
        const std::map<std::string, double> series = Scrape(sample, 9s);
        for (const char* name : row.gone)
            EXPECT_EQ(series.count(name), 0u) << name;
        for (const char* name : row.kept)
            EXPECT_EQ(series.count(name), 1u) << name;
    }
}

} // namespace
} // namespace zelt
