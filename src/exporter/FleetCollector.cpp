#include "exporter/FleetCollector.h"

namespace zelt {

FleetCollector::FleetCollector(std::vector<PlantLabels> plants)
    : plants_(std::move(plants)), samples_(plants_.size())
{
}

void FleetCollector::Publish(std::size_t plant, const PlantSample& sample)
{
    std::lock_guard lock(mutex_);
    samples_.at(plant) = sample;
}

std::vector<prometheus::MetricFamily> FleetCollector::Collect() const
{
    std::vector<PlantSample> samples;
    {
        std::lock_guard lock(mutex_);
        samples = samples_;
    }
    return FleetFamilies(plants_, samples, std::chrono::steady_clock::now());
}

} // namespace zelt
