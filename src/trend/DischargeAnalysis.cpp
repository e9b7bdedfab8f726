#include "trend/DischargeAnalysis.h"

#include "status/BattCapacity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelt {

namespace {

constexpr std::int64_t ThreeHoursMs = 3 * 3600 * 1000;

// An AC failure whatever else was on; a test when any sign of one was.
DischargeKind KindOf(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last)
{
    bool test = false;
    for (std::size_t i = first; i <= last; ++i) {
        if (samples[i].AcFail)
            return DischargeKind::AcFailure;
        test = test || TestSign(samples[i]);
    }
    return test ? DischargeKind::Test : DischargeKind::Discharge;
}

// The current on both sides differs by under a tenth of the larger.
bool SteadyAcross(const TrendSample& a, const TrendSample& b)
{
    return std::abs(a.BattCurrent - b.BattCurrent) < 0.1 * std::max(std::abs(a.BattCurrent), std::abs(b.BattCurrent));
}

void FindGaps(const std::vector<TrendSample>& samples, DischargeSpan& span, const DetectionSettings& settings)
{
    std::int64_t total = 0;
    for (std::size_t i = span.First; i < span.Last; ++i) {
        const SampleInterval interval = Between(samples[i], samples[i + 1]);
        const bool steady = SteadyAcross(samples[i], samples[i + 1]);
        if (interval.ElapsedMs > MaxBridgedGapMs)
            span.Gaps.push_back({samples[i].TimeMs, interval.ElapsedMs, false, steady});
        if (std::abs(interval.StepMs) > ClockStepMs)
            span.Gaps.push_back({samples[i].TimeMs, std::abs(interval.StepMs), true, steady});
    }
    for (const DischargeGap& gap : span.Gaps) {
        total += gap.LengthMs;
        span.Interrupted = span.Interrupted || !gap.Bridgeable;
    }
    span.Interrupted = span.Interrupted || total > settings.BridgedGapsMs;
}

std::string OneDecimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Plain(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::int64_t GapTotalMs(const std::vector<DischargeGap>& gaps)
{
    std::int64_t total = 0;
    for (const DischargeGap& gap : gaps)
        total += gap.LengthMs;
    return total;
}

} // namespace

bool TestSign(const TrendSample& s)
{
    constexpr std::int32_t DischargeModeCode = 6;
    return s.ChargeMode == DischargeModeCode || s.TestModeBit || s.ManualTest;
}

SampleInterval Between(const TrendSample& a, const TrendSample& b)
{
    const std::int64_t wall = b.TimeMs - a.TimeMs;
    if (a.Session.empty() || a.Session != b.Session)
        return {std::max<std::int64_t>(wall, 0), 0};
    const std::int64_t elapsed = b.MonoMs - a.MonoMs;
    return {elapsed, wall - elapsed};
}

std::vector<DischargeSpan> DetectDischarges(const std::vector<TrendSample>& samples, const DetectionSettings& settings)
{
    std::vector<DischargeSpan> found;
    bool discharging = false;
    // First sample of the current run of samples on the same side of the
    // threshold, and each sample's real time from the first one.
    std::size_t runStart = 0;
    bool runBeyond = false;
    std::vector<std::int64_t> at(samples.size(), 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const bool beyond = samples[i].BattCurrent < -settings.ThresholdAmps;
        bool ended = false;
        if (i > 0) {
            const std::int64_t elapsed = Between(samples[i - 1], samples[i]).ElapsedMs;
            at[i] = at[i - 1] + elapsed;
            ended = elapsed > settings.EndingGapMs;
        }
        if (ended && discharging) {
            discharging = false;
            found.back().Last = i - 1;
            found.back().Ongoing = false;
        }
        if (i == 0 || ended || beyond != runBeyond) {
            runStart = i;
            runBeyond = beyond;
        }
        if (at[i] - at[runStart] < settings.HoldMs)
            continue;
        if (!discharging && beyond) {
            discharging = true;
            found.push_back(DischargeSpan{runStart, runStart, true, DischargeKind::Discharge, {}, false});
        } else if (discharging && !beyond) {
            discharging = false;
            found.back().Last = runStart;
            found.back().Ongoing = false;
        }
    }
    if (discharging)
        found.back().Last = samples.size() - 1;
    for (DischargeSpan& span : found) {
        span.Kind = KindOf(samples, span.First, span.Last);
        FindGaps(samples, span, settings);
    }
    return found;
}

double AmpHoursDelivered(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last,
                         bool bridgeGaps)
{
    double ampereMs = 0;
    for (std::size_t i = first; i < last; ++i) {
        const TrendSample& a = samples[i];
        const TrendSample& b = samples[i + 1];
        const std::int64_t dt = Between(a, b).ElapsedMs;
        if (dt > MaxBridgedGapMs && !bridgeGaps)
            continue;
        ampereMs -= (a.BattCurrent + b.BattCurrent) / 2 * static_cast<double>(dt);
    }
    return ampereMs / 3.6e6;
}

double CorrectionLambda(std::int64_t durationMs)
{
    return durationMs >= ThreeHoursMs ? 0.006 : 0.01;
}

double CorrectedTo25(double ampHours, double meanTemp, std::int64_t durationMs)
{
    return ampHours / (1 + CorrectionLambda(durationMs) * (meanTemp - 25));
}

DischargeFigures MeasureDischarge(const std::vector<TrendSample>& samples, const DischargeSpan& span,
                                  const CapacityBasis& fallback, const CorrectionRange& range,
                                  std::optional<double> enteredTemp)
{
    DischargeFigures f;
    const TrendSample& first = samples[span.First];
    const TrendSample& last = samples[span.Last];
    f.StartMs = first.TimeMs;
    f.EndMs = last.TimeMs;
    f.Gaps = span.Gaps;
    f.Interrupted = span.Interrupted;
    f.AmpHours = AmpHoursDelivered(samples, span.First, span.Last, !span.Interrupted);
    f.Basis = fallback;
    for (std::size_t i = span.First; i <= span.Last; ++i) {
        f.DurationMs += i > span.First ? Between(samples[i - 1], samples[i]).ElapsedMs : 0;
        if (samples[i].Basis)
            f.Basis = *samples[i].Basis;
    }
    f.StartVolt = first.DcVolt;
    // The span ends on the first sample of the run that ended it, when the
    // current may already be charging the battery: the end voltage is that of
    // the last sample still discharging.
    std::size_t end = span.Last;
    while (end > span.First && samples[end].BattCurrent >= 0)
        --end;
    f.EndVolt = samples[end].DcVolt;
    // Only the blocks of the strings present.
    const int blocks = f.Basis.Strings >= 2 ? 4 : 2;
    f.LowestBlockVolt = first.BlockVolt[0];
    double lowestDc = first.DcVolt;
    double tempSum = 0;
    int tempCount = 0;
    for (std::size_t i = span.First; i <= span.Last; ++i) {
        const TrendSample& s = samples[i];
        lowestDc = std::min(lowestDc, s.DcVolt);
        for (int b = 0; b < blocks; ++b) {
            if (s.BlockVolt[b] < f.LowestBlockVolt) {
                f.LowestBlockVolt = s.BlockVolt[b];
                f.LowestBlock = b;
            }
        }
        if (s.Batt1TempValid && !s.Batt1SensorFault) {
            tempSum += s.Batt1Temp;
            ++tempCount;
        }
    }
    f.TempAbsent = tempCount == 0;
    if (!f.TempAbsent)
        f.MeanTemp = tempSum / tempCount;
    if (enteredTemp) {
        f.MeanTemp = *enteredTemp;
        f.TempEntered = true;
    }
    f.Complete = lowestDc <= f.Basis.EndVolt;
    if (f.Interrupted) {
        const bool changed = std::any_of(f.Gaps.begin(), f.Gaps.end(), [](const DischargeGap& g) { return !g.Bridgeable; });
        f.Withheld = changed ? std::string("interrupted: the current changed across a gap")
                             : "interrupted: " + std::to_string(GapTotalMs(f.Gaps) / 1000) + " s in gaps";
        return f;
    }
    if (!f.Complete)
        return f;
    if (f.TempAbsent && !f.TempEntered) {
        f.Withheld = "no battery temperature sensor";
        return f;
    }
    if (f.MeanTemp < range.LowTemp || f.MeanTemp > range.HighTemp) {
        f.Withheld = "temperature " + OneDecimal(f.MeanTemp) + " \u00b0C outside " + Plain(range.LowTemp) + "\u2013"
                   + Plain(range.HighTemp) + " \u00b0C";
        return f;
    }
    f.C25 = CorrectedTo25(f.AmpHours, f.MeanTemp, f.DurationMs);
    const std::int32_t rated =
        f.Basis.RatedAh > 0 ? f.Basis.RatedAh : RatedCapacity(f.Basis.Strings, f.Basis.FirstType);
    if (rated > 0) {
        f.PercentOfRated = *f.C25 / rated * 100;
        f.Verdict = CapacityVerdict(static_cast<std::int64_t>(std::floor(*f.PercentOfRated)));
    }
    return f;
}

} // namespace zelt
