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
        std::size_t gaps;
    } cases[] = {
        {"constant", Constant(-10, 3600), 10, 0},
        {"ramp", ramp, 10, 0},
        {"gap over 5 s left out", gap, 2, 1},
        {"gap of 5 s bridged", bridged, 2 + 36 * 5 / 3600.0, 0},
        {"sign change nets out", Seconds({-10, 10}), 0, 0},
        {"charging counts against", Seconds({-36, -36, 36}), 0.01, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::int64_t, std::int64_t>> gaps;
        EXPECT_NEAR(AmpHoursDelivered(c.samples, 0, c.samples.size() - 1, &gaps), c.ampHours, 1e-9) << c.name;
        EXPECT_EQ(gaps.size(), c.gaps) << c.name;
    }
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

    const struct {
        bool test, acFail;
        DischargeKind kind;
    } labels[] = {{false, false, DischargeKind::Discharge},
                  {false, true, DischargeKind::AcFailure},
                  {true, true, DischargeKind::Test},
                  {true, false, DischargeKind::Test}};
    for (const auto& l : labels) {
        std::vector<TrendSample> samples = run({{0, 3}, {-5, 30}, {0, 12}});
        samples[20].TestFlag = l.test;
        samples[32].AcFail = l.acFail;
        const auto found = DetectDischarges(samples, DetectionSettings{});
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].Kind, l.kind) << l.test << l.acFail;
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
    EXPECT_EQ(f.DurationMs(), 5 * 3600 * 1000);
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
    std::vector<TrendSample> samples = Discharge(32, 1, 20, 45);
    TrendSample charging = samples.back();
    charging.TimeMs += 5000;
    charging.BattCurrent = 10;
    charging.DcVolt = 56;
    samples.push_back(charging);
    EXPECT_EQ(MeasureDischarge(samples, {0, samples.size() - 1}, {44, 2, true}).EndVolt, 45);
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
    EXPECT_EQ(f.MeanTemp, 25);
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
