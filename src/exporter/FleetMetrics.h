#pragma once

// The metric families of a fleet of plants, built from copies of their
// samples: every series carries the plant's own labels (plant and the
// configured ones) ahead of its own. Besides them the exporter's build.

#include "exporter/PlantSample.h"

#include <prometheus/metric_family.h>

#include <vector>

namespace zelt {

using PlantLabels = std::vector<prometheus::ClientMetric::Label>;

// A plant is up while its last status record is at most this old, and the
// values of a kind of record are current while its last one is.
inline constexpr std::chrono::seconds PlantUpWindow{10};

// plants[i] belongs to samples[i]. A plant that is down has only its up
// gauge, the time of its last record and its line counters. A value that is
// not current (no fresh record of its kind), does not apply (a grey lamp) or
// does not exist (a sensor not fitted) has no series.
std::vector<prometheus::MetricFamily> FleetFamilies(const std::vector<PlantLabels>& plants,
                                                    const std::vector<PlantSample>& samples,
                                                    std::chrono::steady_clock::time_point now);

} // namespace zelt
