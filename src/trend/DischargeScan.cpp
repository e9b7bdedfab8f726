#include "trend/DischargeScan.h"

#include "trend/SessionStore.h"

#include <algorithm>
#include <map>

namespace zelt {

std::vector<FoundDischarge> ScanDischarges(SessionStore& store, const std::string& plant, std::int64_t fromMs,
                                           std::int64_t nowMs, const DetectionSettings& detection,
                                           const CapacityBasis& fallback, const CorrectionRange& range)
{
    // How far around a discharging sample detection must see: the hold that
    // starts or ends a discharge, and the longest gap within one.
    const std::int64_t reach = detection.HoldMs + detection.EndingGapMs;
    const std::vector<std::int64_t> times = store.DischargingTimes(plant, detection.ThresholdAmps, fromMs);
    const std::map<std::int64_t, double> entered = store.EnteredTemps(plant);
    std::vector<FoundDischarge> found;
    std::size_t first = 0;
    while (first < times.size()) {
        // A cluster of discharging samples, each within twice the reach of the
        // next, so that the stretches read for two clusters never overlap.
        std::size_t last = first;
        while (last + 1 < times.size() && times[last + 1] - times[last] <= 2 * reach)
            ++last;
        const std::vector<TrendSample> samples =
            store.Samples(plant, std::max(fromMs, times[first] - reach), times[last] + reach + 1);
        for (const DischargeSpan& span : DetectDischarges(samples, detection)) {
            // A discharge whose samples stop long before now ended with them
            // (a stalled line, or a discharge kept from pruned data).
            const bool ongoing = span.Ongoing && nowMs - samples[span.Last].TimeMs < reach;
            const auto temp = entered.find(samples[span.First].TimeMs);
            found.push_back({span.Kind,
                             MeasureDischarge(samples, span, fallback, range,
                                              temp != entered.end() ? std::optional(temp->second) : std::nullopt),
                             ongoing});
        }
        first = last + 1;
    }
    return found;
}

} // namespace zelt
