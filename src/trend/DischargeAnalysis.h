#pragma once

// Finding the discharges in a run of samples and measuring each: ampere-hours
// delivered, voltages, temperature, and for a complete discharge its capacity
// corrected to 25 degrees C against the rated capacity.

#include "trend/TrendSample.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zelt {

struct DetectionSettings {
    double ThresholdAmps = 2;     // discharging while the current is below minus this
    std::int64_t HoldMs = 10000;  // how long that (or its end) must last
};

enum class DischargeKind { Test, AcFailure, Discharge };

// Indices into the samples: First is the first sample below the threshold,
// Last the first one of the run that ended it (or the last sample while it
// goes on).
struct DischargeSpan {
    std::size_t First = 0;
    std::size_t Last = 0;
    bool Ongoing = false;
    DischargeKind Kind = DischargeKind::Discharge;
};

// Samples in time order.
std::vector<DischargeSpan> DetectDischarges(const std::vector<TrendSample>& samples, const DetectionSettings& settings);

// Samples further apart than this are not integrated across.
constexpr std::int64_t MaxBridgedGapMs = 5000;

struct CapacityBasis {
    double EndVolt = 0;      // V; reaching it makes a discharge complete
    std::int32_t Strings = 0;
    bool FirstType = true;   // 86 Ah a string, else 155 Ah
};

struct DischargeFigures {
    std::int64_t StartMs = 0;
    std::int64_t EndMs = 0;
    double AmpHours = 0;     // delivered: positive while discharging
    // Spans between samples further apart than MaxBridgedGapMs, left out.
    std::vector<std::pair<std::int64_t, std::int64_t>> Gaps;
    double StartVolt = 0;
    double EndVolt = 0;
    double LowestBlockVolt = 0;
    int LowestBlock = 0;     // 0 to 3: battery 1 left, 1 right, 2 left, 2 right
    double MeanTemp = 25;    // battery 1, degrees C
    bool TempAbsent = false; // no battery 1 reading: 25 degrees assumed
    bool Complete = false;   // the DC voltage reached the end voltage
    // Complete discharges only; the percent and verdict also need a rated capacity.
    std::optional<double> C25;
    std::optional<double> PercentOfRated;
    std::optional<std::int32_t> Verdict; // 1 good, 2 degraded, 3 low

    std::int64_t DurationMs() const { return EndMs - StartMs; }
};

// Ampere-hours delivered between samples first and last (inclusive) by the
// trapezoidal rule; a charging current counts against them. Gaps over
// MaxBridgedGapMs are skipped and listed in gaps when given.
double AmpHoursDelivered(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last,
                         std::vector<std::pair<std::int64_t, std::int64_t>>* gaps = nullptr);

// Capacity at 25 degrees C from one measured at meanTemp over durationMs:
// Ah / (1 + lambda (T - 25)), lambda 0.006 for three hours or longer, else 0.01.
double CorrectedTo25(double ampHours, double meanTemp, std::int64_t durationMs);

DischargeFigures MeasureDischarge(const std::vector<TrendSample>& samples, const DischargeSpan& span,
                                  const CapacityBasis& basis);

} // namespace zelt
