#pragma once

// The exporter's metrics as the Prometheus client collects them. The plants
// publish their samples from the Qt thread; a scrape, on one of the HTTP
// server's threads, copies every sample under the same lock, so that it
// sees each plant as it was after a whole read.

#include "exporter/FleetMetrics.h"

#include <prometheus/collectable.h>

#include <mutex>

namespace zelt {

class FleetCollector : public prometheus::Collectable {
public:
    explicit FleetCollector(std::vector<PlantLabels> plants);

    void Publish(std::size_t plant, const PlantSample& sample);
    std::vector<prometheus::MetricFamily> Collect() const override;

private:
    const std::vector<PlantLabels> plants_;
    mutable std::mutex mutex_;
    std::vector<PlantSample> samples_;
};

} // namespace zelt
