#pragma once

// Finding the discharges in a run of samples and measuring each: ampere-hours
// delivered, voltages, temperature, the stretches without records, and for a
// complete discharge its capacity corrected to 25 degrees C against the rated
// capacity. DetectDischarges alone decides what one discharge is; the list,
// the pruner and the report all go through it.

#include "trend/TrendSample.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelt {

struct DetectionSettings {
    double ThresholdAmps = 2;               // discharging while the current is below minus this
    std::int64_t HoldMs = 10000;            // how long that (or its end) must last
    std::int64_t BridgedGapsMs = 60000;     // gaps bridged in all within one discharge
    std::int64_t EndingGapMs = 30 * 60000;  // a gap longer than this ends a discharge
};

// The temperatures between which the correction to 25 degrees C holds.
struct CorrectionRange {
    double LowTemp = 10;
    double HighTemp = 40;
};

enum class DischargeKind { Test, AcFailure, Discharge };

// Records further apart than this leave a gap.
constexpr std::int64_t MaxBridgedGapMs = 5000;
// A PC clock that moves this much more or less than the monotonic count has stepped.
constexpr std::int64_t ClockStepMs = 2000;

struct DischargeGap {
    std::int64_t FromMs = 0;   // PC time of the last record before it
    std::int64_t LengthMs = 0;
    bool ClockStep = false;    // the PC clock stepped by LengthMs
    bool Bridgeable = false;   // the current on both sides differs by under 10 %
};

// Indices into the samples: First is the first sample below the threshold,
// Last the first one of the run that ended it, the last one before a gap
// that ended it, or the last sample while it goes on.
struct DischargeSpan {
    std::size_t First = 0;
    std::size_t Last = 0;
    bool Ongoing = false;
    DischargeKind Kind = DischargeKind::Discharge;
    std::vector<DischargeGap> Gaps{};
    // Gaps over the bridged total, or one across which the current changed:
    // measured over the recorded time only, never given a verdict.
    bool Interrupted = false;
};

// The real time from sample a to the next one, b: by the monotonic count
// within one session, by the PC clock across sessions. Step is how much
// further the PC clock moved (negative when it went back).
struct SampleInterval {
    std::int64_t ElapsedMs = 0;
    std::int64_t StepMs = 0;
};
SampleInterval Between(const TrendSample& a, const TrendSample& b);

// A sign of a battery test in the sample: the discharge charge mode, the
// battery test mode bit or the manual test flag.
bool TestSign(const TrendSample& s);

// Samples in recording order.
std::vector<DischargeSpan> DetectDischarges(const std::vector<TrendSample>& samples, const DetectionSettings& settings);

struct DischargeFigures {
    std::int64_t StartMs = 0;
    std::int64_t EndMs = 0;
    std::int64_t DurationMs = 0; // real time, by the monotonic count where recorded
    double AmpHours = 0;     // delivered: positive while discharging
    std::vector<DischargeGap> Gaps{};
    bool Interrupted = false;
    double StartVolt = 0;
    double EndVolt = 0;
    double LowestBlockVolt = 0;
    int LowestBlock = 0;     // 0 to 3: battery 1 left, 1 right, 2 left, 2 right
    double MeanTemp = 0;     // battery 1, degrees C
    bool TempAbsent = false; // no reading from a working sensor
    bool TempEntered = false; // MeanTemp is the operator's
    bool Complete = false;   // the DC voltage reached the end voltage
    CapacityBasis Basis;     // what it was measured against
    // Complete, uninterrupted discharges with a usable temperature only; the
    // percent and verdict also need a rated capacity.
    std::optional<double> C25;
    std::optional<double> PercentOfRated;
    std::optional<std::int32_t> Verdict; // 1 good, 2 degraded, 3 low
    std::string Withheld;    // why a complete discharge has no C25
};

// Ampere-hours delivered between samples first and last (inclusive) by the
// trapezoidal rule; a charging current counts against them. Gaps over
// MaxBridgedGapMs count only when bridged.
double AmpHoursDelivered(const std::vector<TrendSample>& samples, std::size_t first, std::size_t last,
                         bool bridgeGaps);

// The lambda of the correction for a discharge that lasted durationMs.
double CorrectionLambda(std::int64_t durationMs);

// Capacity at 25 degrees C from one measured at meanTemp over durationMs:
// Ah / (1 + lambda (T - 25)), lambda 0.006 for three hours or longer, else 0.01.
double CorrectedTo25(double ampHours, double meanTemp, std::int64_t durationMs);

// Measured against the basis recorded with the samples, or fallback where
// none was. An entered temperature replaces the sensor's.
DischargeFigures MeasureDischarge(const std::vector<TrendSample>& samples, const DischargeSpan& span,
                                  const CapacityBasis& fallback, const CorrectionRange& range = {},
                                  std::optional<double> enteredTemp = std::nullopt);

} // namespace zelt
