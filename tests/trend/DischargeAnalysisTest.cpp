#include "trend/DischargeAnalysis.h"

#include <gtest/gtest.h>

using namespace zelt;

namespace {

// One sample a second from t0 (seconds) for each current in amps.
std::vector<TrendSample> Seconds(std::vector<double> amps, std::int64_t t0 = 0)
{
    std::vector<TrendSample> samples;
    for (double a : amps) {
        TrendSample s;
        s.TimeMs = (t0 + static_cast<std::int64_t>(samples.size())) * 1000;
        s.BattCurrent = a;
        samples.push_back(s);
    }
    return samples;
}

std::vector<TrendSample> Constant(double amps, int seconds) { return Seconds(std::vector<double>(seconds + 1, amps)); }

TEST(AmpHours, Integration)
{
    std::vector<TrendSample> ramp = Constant(0, 3600);
    for (TrendSample& s : ramp)
        s.BattCurrent = -20.0 * static_cast<double>(s.TimeMs) / 3.6e6;
    std::vector<TrendSample> gap = Constant(-36, 100); // 1 Ah over 100 s, then a gap
    std::vector<TrendSample> bridged = gap;
    for (std::int64_t pause : {6, 5}) {
        auto& target = pause == 6 ? gap : bridged;
        for (TrendSample s : Constant(-36, 100)) {
            s.TimeMs += (100 + pause) * 1000;
            target.push_back(s);
        }
    }
    const struct {
        const char* name;
        std::vector<TrendSample> samples;
        double ampHours;
        bool bridge;
    } cases[] = {
        {"constant", Constant(-10, 3600), 10, 0},
        {"ramp", ramp, 10, 0},
        {"gap over 5 s left out", gap, 2, 0},
        {"gap over 5 s bridged", gap, 2 + 36 * 6 / 3600.0, 1},
        {"gap of 5 s bridged", bridged, 2 + 36 * 5 / 3600.0, 0},
        {"sign change nets out", Seconds({-10, 10}), 0, 0},
        {"charging counts against", Seconds({-36, -36, 36}), 0.01, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(AmpHoursDelivered(c.samples, 0, c.samples.size() - 1, c.bridge), c.ampHours, 1e-9) << c.name;
}

TEST(Detection, HysteresisAndLabels)
{
    const auto run = [](std::initializer_list<std::pair<double, int>> parts) {
        std::vector<double> amps;
        for (auto [a, n] : parts)
            amps.insert(amps.end(), n, a);
        return Seconds(amps);
    };
    const struct {
        const char* name;
        std::vector<TrendSample> samples;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        bool ongoing;
    } cases[] = {
        {"held 9 s: none", run({{0, 5}, {-3, 10}, {0, 20}}), {}, false},
        {"held 10 s: starts at the run's first", run({{0, 5}, {-3, 11}, {0, 20}}), {{5, 16}}, false},
        {"at the threshold is not beyond", run({{-2, 30}}), {}, false},
        {"a 9 s pause does not end it", run({{-3, 20}, {0, 10}, {-3, 20}, {0, 11}}), {{0, 50}}, false},
        {"two discharges", run({{-3, 11}, {0, 11}, {-3, 11}, {0, 11}}), {{0, 11}, {22, 33}}, false},
        {"still going", run({{0, 2}, {-3, 20}}), {{2, 21}}, true},
    };
    for (const auto& c : cases) {
        const auto found = DetectDischarges(c.samples, DetectionSettings{});
        ASSERT_EQ(found.size(), c.spans.size()) << c.name;
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(std::pair(found[i].First, found[i].Last), c.spans[i]) << c.name;
            EXPECT_EQ(found[i].Ongoing, c.ongoing && i + 1 == found.size()) << c.name;
        }
    }
}

TEST(Correction, To25DegreesByDuration)
{
    const std::int64_t hour = 3600 * 1000;
    const struct {
        double ampHours, temp;
        std::int64_t duration;
        double c25;
    } cases[] = {
        {160, 20, 5 * hour, 160 / 0.97},
        {100, 15, 3 * hour, 100 / 0.94},
        {100, 15, 3 * hour - 1, 100 / 0.9},
        {100, 35, 2 * hour, 100 / 1.1},
        {100, 25, 1 * hour, 100},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CorrectedTo25(c.ampHours, c.temp, c.duration), c.c25, 1e-9) << c.temp << " " << c.duration;
}

// A discharge at a steady current over hours, one sample every 5 s, the DC
// voltage falling linearly from 52 V to lowVolt; block 2 (battery 2 left) lowest.
std::vector<TrendSample> Discharge(double amps, double hours, double temp, double lowVolt)
{
    const int steps = static_cast<int>(hours * 720);
    std::vector<TrendSample> samples;
    for (int i = 0; i <= steps; ++i) {
        TrendSample s;
        s.TimeMs = std::int64_t{i} * 5000;
        s.BattCurrent = -amps;
        s.DcVolt = 52 - (52 - lowVolt) * i / steps;
        s.BlockVolt = {13, 13, s.DcVolt / 4 - 0.1, 13};
        s.Batt1Temp = temp;
        s.Batt1TempValid = true;
        samples.push_back(s);
    }
    return samples;
}

TEST(Measure, WorkedExample)
{
    const std::vector<TrendSample> samples = Discharge(32, 5, 20, 43.2);
    const DischargeFigures f = MeasureDischarge(samples, {0, samples.size() - 1}, {44.0, 2, true});
    EXPECT_NEAR(f.AmpHours, 160, 1e-6);
    EXPECT_EQ(f.DurationMs, 5 * 3600 * 1000);
    EXPECT_EQ(f.StartVolt, 52);
    EXPECT_NEAR(f.EndVolt, 43.2, 1e-9);
    EXPECT_NEAR(f.LowestBlockVolt, 10.7, 1e-9);
    EXPECT_EQ(f.LowestBlock, 2);
    EXPECT_FALSE(f.TempAbsent);
    ASSERT_TRUE(f.Complete);
    EXPECT_NEAR(*f.C25, 164.9, 0.05);
    EXPECT_NEAR(*f.PercentOfRated, 95.9, 0.05);
    EXPECT_EQ(*f.Verdict, 1);
}

TEST(Measure, EndVoltageIsTheLastDischargingOne)
{
    for (double amps : {10.0, 0.0}) { // charging, or at rest
        std::vector<TrendSample> samples = Discharge(32, 1, 20, 45);
        TrendSample after = samples.back();
        after.TimeMs += 5000;
        after.BattCurrent = amps;
        after.DcVolt = 56;
        samples.push_back(after);
        EXPECT_EQ(MeasureDischarge(samples, {0, samples.size() - 1}, {44, 2, true}).EndVolt, 45) << amps;
    }
}

TEST(Measure, PartialOrWithoutSensor)
{
    std::vector<TrendSample> samples = Discharge(32, 1, 20, 45);
    for (TrendSample& s : samples)
        s.Batt1TempValid = false;
    const DischargeFigures f = MeasureDischarge(samples, {0, samples.size() - 1}, {44.9, 2, true});
    EXPECT_FALSE(f.Complete);
    EXPECT_FALSE(f.C25.has_value());
    EXPECT_FALSE(f.PercentOfRated.has_value());
    EXPECT_TRUE(f.TempAbsent);
}

TEST(Measure, VerdictsEitherSideOf80And90)
{
    // One hour at 25 degrees: C25 equals the current; rated 155 Ah (one string of the second type).
    const std::pair<double, std::int32_t> cases[] = {{90.01, 1}, {89.99, 2}, {80.01, 2}, {79.99, 3}};
    for (const auto& [percent, verdict] : cases) {
        const std::vector<TrendSample> samples = Discharge(155 * percent / 100, 1, 25, 44);
        const DischargeFigures f = MeasureDischarge(samples, {0, samples.size() - 1}, {44.0, 1, false});
        EXPECT_NEAR(*f.PercentOfRated, percent, 1e-6);
        EXPECT_EQ(*f.Verdict, verdict) << percent;
    }
}

} // namespace

namespace {

// 36 A for 600 s, a break of pause seconds (the gap a second longer), then
// amps for 600 s, the second half in a new session on a restart; the bus
// falls from 52 V to 43 V; then 20 s at rest.
std::vector<TrendSample> WithBreak(int pause, double amps, bool restart)
{
    std::vector<TrendSample> samples(1221);
    for (int i = 0; i <= 1220; ++i) {
        TrendSample& s = samples[i];
        s.TimeMs = s.MonoMs = (i <= 600 ? i : i + pause) * 1000LL;
        s.Session = restart && i > 600 ? "b" : "a";
        s.BattCurrent = i > 1200 ? 0 : i <= 600 ? -36 : -amps;
        s.DcVolt = 52 - 9.0 * std::min(i, 1200) / 1200;
        s.Batt1Temp = 25;
        s.Batt1TempValid = true;
        s.Basis = CapacityBasis{44, 1, true, 0};
    }
    return samples;
}

TEST(Gaps, BridgedInterruptedOrEnding)
{
    // Pause, current after it, restart, interrupted, discharges found.
    const std::tuple<int, double, bool, bool, std::size_t> cases[] = {
        {20, 36, false, false, 1}, {20, 36, true, false, 1}, {59, 36, false, false, 1}, {60, 36, false, true, 1},
        {20, 39.9, false, false, 1}, {20, 40, false, true, 1}, {1799, 36, false, true, 1}, {1800, 36, false, false, 2}};
    for (const auto& [pause, amps, restart, interrupted, discharges] : cases) {
        const std::vector<TrendSample> samples = WithBreak(pause, amps, restart);
        const std::vector<DischargeSpan> found = DetectDischarges(samples, DetectionSettings{});
        ASSERT_EQ(found.size(), discharges) << pause;
        EXPECT_EQ(found[0].Interrupted, interrupted) << pause << " " << amps;
        EXPECT_EQ(found[0].Gaps.size(), 2 - discharges) << pause;
        const DischargeFigures f = MeasureDischarge(samples, found[0], {});
        EXPECT_EQ(f.Verdict.has_value(), !interrupted && discharges == 1) << pause;
        if (amps == 36 && discharges == 1) // 1199 s recorded, the gap bridged on top
            EXPECT_NEAR(f.AmpHours, 36.0 * (1199 + (interrupted ? 0 : pause + 1)) / 3600 + 0.005, 1e-6) << pause;
    }
}

TEST(Measure, TemperatureRangeAndSensor)
{
    // Mean temperature, sensor fitted, lamp red throughout (else on every
    // other sample, which reads -40), entered temperature, what withholds C25.
    const std::tuple<double, bool, bool, std::optional<double>, const char*> cases[] = {
        {9.9, true, false, {}, "temperature 9.9 \u00b0C outside 10\u201340 \u00b0C"}, {10, true, false, {}, ""},
        {40, true, false, {}, ""}, {40.1, true, false, {}, "temperature 40.1 \u00b0C outside 10\u201340 \u00b0C"},
        {25, false, false, {}, "no battery temperature sensor"}, {25, true, true, {}, "no battery temperature sensor"},
        {25, true, true, 18, ""}, {25, true, false, 5, "temperature 5.0 \u00b0C outside 10\u201340 \u00b0C"}};
    for (const auto& [temp, fitted, red, entered, withheld] : cases) {
        std::vector<TrendSample> samples = Discharge(100, 1, temp, 44);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i].Batt1TempValid = fitted;
            samples[i].Batt1SensorFault = red || i % 2 == 1;
            samples[i].Batt1Temp = samples[i].Batt1SensorFault ? -40 : temp;
        }
        const DischargeFigures f = MeasureDischarge(samples, {0, samples.size() - 1}, {44.0, 1, false}, {}, entered);
        EXPECT_EQ(f.Withheld, withheld) << temp;
        if (*withheld == '\0')
            EXPECT_NEAR(*f.C25, CorrectedTo25(100, entered.value_or(temp), f.DurationMs), 1e-9) << temp;
    }
}

} // namespace
