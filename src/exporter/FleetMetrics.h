#pragma once

// The metric families of a fleet of plants, built from copies of their
// samples: every series carries the plant's own labels (plant and the
// configured ones) ahead of its own.

#include "exporter/PlantSample.h"

#include <prometheus/metric_family.h>

#include <vector>

namespace zelt {

using PlantLabels = std::vector<prometheus::ClientMetric::Label>;

// A plant is up while its last status record is at most this old.
inline constexpr std::chrono::seconds PlantUpWindow{10};

// plants[i] belongs to samples[i]. A value a plant has not reported yet
// (no record of its kind so far, a sensor not fitted) has no series.
std::vector<prometheus::MetricFamily> FleetFamilies(const std::vector<PlantLabels>& plants,
                                                    const std::vector<PlantSample>& samples,
                                                    std::chrono::steady_clock::time_point now);

} // namespace zelt
