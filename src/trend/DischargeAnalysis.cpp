#include "trend/DischargeAnalysis.h"

#include "status/BattCapacity.h"

#include <algorithm>
#include <cmath>

namespace zelt {

namespace {

constexpr std::int64_t ThreeHoursMs = 3 * 3600 * 1000;

DischargeKind KindOf(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last)
{
    bool acFail = false;
    for (std::size_t i = first; i <= last; ++i) {
        if (samples[i].TestFlag)
            return DischargeKind::Test;
        acFail = acFail || samples[i].AcFail;
    }
    return acFail ? DischargeKind::AcFailure : DischargeKind::Discharge;
}

} // namespace

std::vector<DischargeSpan> DetectDischarges(const std::vector<TrendSample>& samples, const DetectionSettings& settings)
{
    std::vector<DischargeSpan> found;
    bool discharging = false;
    // First sample of the current run of samples on the same side of the threshold.
    std::size_t runStart = 0;
    bool runBeyond = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const bool beyond = samples[i].BattCurrent < -settings.ThresholdAmps;
        if (i == 0 || beyond != runBeyond) {
            runStart = i;
            runBeyond = beyond;
        }
        if (samples[i].TimeMs - samples[runStart].TimeMs < settings.HoldMs)
            continue;
        if (!discharging && beyond) {
            discharging = true;
            found.push_back(DischargeSpan{runStart, runStart, true, DischargeKind::Discharge});
        } else if (discharging && !beyond) {
            discharging = false;
            found.back().Last = runStart;
            found.back().Ongoing = false;
        }
    }
    if (discharging)
        found.back().Last = samples.size() - 1;
    for (DischargeSpan& span : found)
        span.Kind = KindOf(samples, span.First, span.Last);
    return found;
}

double AmpHoursDelivered(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last,
                         std::vector<std::pair<std::int64_t, std::int64_t>>* gaps)
{
    double ampereMs = 0;
    for (std::size_t i = first; i < last; ++i) {
        const TrendSample& a = samples[i];
        const TrendSample& b = samples[i + 1];
        const std::int64_t dt = b.TimeMs - a.TimeMs;
        if (dt > MaxBridgedGapMs) {
            if (gaps != nullptr)
                gaps->emplace_back(a.TimeMs, b.TimeMs);
            continue;
        }
        ampereMs -= (a.BattCurrent + b.BattCurrent) / 2 * static_cast<double>(dt);
    }
    return ampereMs / 3.6e6;
}

double CorrectedTo25(double ampHours, double meanTemp, std::int64_t durationMs)
{
    const double lambda = durationMs >= ThreeHoursMs ? 0.006 : 0.01;
    return ampHours / (1 + lambda * (meanTemp - 25));
}

DischargeFigures MeasureDischarge(const std::vector<TrendSample>& samples, const DischargeSpan& span,
                                  const CapacityBasis& basis)
{
    DischargeFigures f;
    const TrendSample& first = samples[span.First];
    const TrendSample& last = samples[span.Last];
    f.StartMs = first.TimeMs;
    f.EndMs = last.TimeMs;
    f.AmpHours = AmpHoursDelivered(samples, span.First, span.Last, &f.Gaps);
    f.StartVolt = first.DcVolt;
    // The span ends on the first sample of the run that ended it, when the
    // current may already be charging the battery: the end voltage is that of
    // the last sample still discharging.
    std::size_t end = span.Last;
    while (end > span.First && samples[end].BattCurrent >= 0)
        --end;
    f.EndVolt = samples[end].DcVolt;
    f.LowestBlockVolt = first.BlockVolt[0];
    double lowestDc = first.DcVolt;
    double tempSum = 0;
    int tempCount = 0;
    for (std::size_t i = span.First; i <= span.Last; ++i) {
        const TrendSample& s = samples[i];
        lowestDc = std::min(lowestDc, s.DcVolt);
        for (int b = 0; b < 4; ++b) {
            if (s.BlockVolt[b] < f.LowestBlockVolt) {
                f.LowestBlockVolt = s.BlockVolt[b];
                f.LowestBlock = b;
            }
        }
        if (s.Batt1TempValid) {
            tempSum += s.Batt1Temp;
            ++tempCount;
        }
    }
    f.TempAbsent = tempCount == 0;
    f.MeanTemp = f.TempAbsent ? 25 : tempSum / tempCount;
    f.Complete = lowestDc <= basis.EndVolt;
    if (!f.Complete)
        return f;
    f.C25 = CorrectedTo25(f.AmpHours, f.MeanTemp, f.DurationMs());
    const std::int32_t rated = RatedCapacity(basis.Strings, basis.FirstType);
    if (rated > 0) {
        f.PercentOfRated = *f.C25 / rated * 100;
        f.Verdict = CapacityVerdict(static_cast<std::int64_t>(std::floor(*f.PercentOfRated)));
    }
    return f;
}

} // namespace zelt
