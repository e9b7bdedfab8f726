// Metrics from decoded status records: the simulator's records, each row
// with a few characters of one record changed.

#include "exporter/FleetMetrics.h"
#include "exporter/PlantDecoder.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace zelt {
namespace {

const std::string BaseR =
    "534041+001+253+000+270268266266268535565535032101030010001500580480440600420054404916044044013241105112406202"
    "02612081955300050C2A1B2C3C0A80A64C0A80A01FFFFFF00C0A80A141C0A80A150C0A80A1E11C0A80A1F00C0A80A2000C0A80A21006"
    "7publicprivate5000000000005000202610092210100000000000000001100000000010000000000";
const std::string BaseK = "00000000F1FC00";
const std::string BaseU = "53353453553310810310310433.432.933.233.300000000223223222223";

struct Patch {
    std::size_t at; // index into the record body
    const char* text;
};

struct MetricRow {
    char record; // the record the patches change
    std::vector<Patch> patches;
    const char* metric;
    PlantLabels own;
    std::optional<double> value; // none: no such series
};

std::optional<double> Value(const std::vector<prometheus::MetricFamily>& families, const std::string& name,
                            const PlantLabels& own)
{
    for (const prometheus::MetricFamily& family : families) {
        if (family.name != name)
            continue;
        for (const prometheus::ClientMetric& metric : family.metric) {
            if (std::all_of(own.begin(), own.end(), [&](const auto& label) {
                    return std::find(metric.label.begin(), metric.label.end(), label) != metric.label.end();
                }))
                return family.type == prometheus::MetricType::Counter ? metric.counter.value : metric.gauge.value;
        }
    }
    return std::nullopt;
}

TEST(ExporterMetrics, RecordFieldsBecomeSeries)
{
    const double nextTest = static_cast<double>(QDateTime(QDate(2027, 1, 15), QTime(0, 0)).toSecsSinceEpoch());
    const MetricRow rows[] = {
        {'R', {}, "zelt_dc_output_volts", {}, 53.4},
        {'R', {{6, "-"}, {7, "005"}}, "zelt_battery_current_amperes", {}, -5},
        {'R', {{6, "+"}, {7, "015"}}, "zelt_battery_current_amperes", {}, 15},
        {'R', {}, "zelt_battery_block_volts", {{"block", "4"}}, 26.8},
        {'R', {}, "zelt_setting_volts", {{"setting", "dc_low_alarm"}}, 48.0},
        {'R', {{257, "3"}}, "zelt_battery_verdict", {}, 3},
        {'R', {{257, "3"}, {287, "0"}}, "zelt_battery_verdict", {}, 0},
        {'R', {{247, "20250115"}, {255, "2"}}, "zelt_battery_next_test_timestamp_seconds", {}, nextTest},
        {'R', {}, "zelt_battery_temperature_celsius", {}, 25.3},
        {'K', {{9, "0"}}, "zelt_battery_temperature_celsius", {}, std::nullopt},
        {'K', {{0, "2"}}, "zelt_alarm", {{"alarm", "OV"}}, 1},
        {'K', {}, "zelt_alarm", {{"alarm", "OV"}}, 0},
        {'U', {{42, "40"}}, "zelt_alarm", {{"alarm", "FF"}, {"unit", "2"}}, 1},
        {'U', {{42, "40"}}, "zelt_alarm", {{"alarm", "FF"}, {"unit", "1"}}, 0},
        {'U', {}, "zelt_rectifier_temperature_celsius", {{"unit", "1"}}, 33.4},
        {'U', {}, "zelt_rectifier_output_current_amperes", {{"unit", "2"}}, 10.3},
        {'K', {}, "zelt_rectifier_present", {{"unit", "3"}}, 1},
        {'K', {{3, "4"}}, "zelt_rectifier_present", {{"unit", "3"}}, 0},
    };
    for (const MetricRow& row : rows) {
        SCOPED_TRACE(std::string(1, row.record) + " " + row.metric);
        PlantDecoder decoder;
        PlantSample sample;
        for (const char type : {'K', 'U', 'R'}) {
            std::string body = type == 'K' ? BaseK : type == 'U' ? BaseU : BaseR;
            if (type == row.record)
                for (const Patch& patch : row.patches)
                    body.replace(patch.at, std::strlen(patch.text), patch.text);
            ASSERT_TRUE(decoder.Decode(type, body, sample));
        }
        const auto families = FleetFamilies({{{"plant", "p"}}}, {sample}, *sample.lastRecord);
        const std::optional<double> value = Value(families, row.metric, row.own);
        ASSERT_EQ(value.has_value(), row.value.has_value());
        if (value)
            EXPECT_DOUBLE_EQ(*value, *row.value);
        // Every series carries the plant label.
        EXPECT_EQ(Value(families, row.metric, {{"plant", "q"}}), std::nullopt);
    }
}

TEST(ExporterMetrics, PlantIsUpForTenSecondsAfterItsLastRecord)
{
    PlantDecoder decoder;
    PlantSample sample;
    ASSERT_TRUE(decoder.Decode('K', BaseK, sample));
    for (const auto& [after, up] : {std::pair{PlantUpWindow, 1.0}, std::pair{PlantUpWindow + std::chrono::seconds(1), 0.0}})
        EXPECT_EQ(Value(FleetFamilies({{{"plant", "p"}}}, {sample}, *sample.lastRecord + after), "zelt_plant_up", {}), up);
}

} // namespace
} // namespace zelt
