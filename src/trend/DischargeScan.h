#pragma once

// The discharges of a plant in the session store, found and measured without
// reading every sample: only the stretches around the discharging samples.

#include "trend/DischargeAnalysis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelt {

class SessionStore;

struct FoundDischarge {
    DischargeKind Kind = DischargeKind::Discharge;
    DischargeFigures Figures;
    bool Ongoing = false; // still discharging at the newest sample
};

// The plant's discharges that begin at fromMs or later, in time order, each
// with the battery temperature the operator entered for it, if any. Samples
// without a recorded basis are measured against fallback.
std::vector<FoundDischarge> ScanDischarges(SessionStore& store, const std::string& plant, std::int64_t fromMs,
                                           std::int64_t nowMs, const DetectionSettings& detection,
                                           const CapacityBasis& fallback, const CorrectionRange& range);

} // namespace zelt
