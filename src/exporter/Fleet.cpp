#include "exporter/Fleet.h"

namespace zelt {

namespace {

std::vector<PlantLabels> LabelsOf(const ExporterConfig& config)
{
    std::vector<PlantLabels> labels;
    for (const PlantConfig& plant : config.plants) {
        PlantLabels& own = labels.emplace_back();
        own.push_back({"plant", plant.name});
        for (std::size_t i = 0; i < config.labelNames.size(); ++i)
            own.push_back({config.labelNames[i], plant.labelValues[i]});
    }
    return labels;
}

} // namespace

Fleet::Fleet(const ExporterConfig& config, QObject* parent)
    : QObject(parent), collector_(std::make_shared<FleetCollector>(LabelsOf(config)))
{
    for (std::size_t i = 0; i < config.plants.size(); ++i)
        plants_.push_back(std::make_unique<Plant>(config.plants[i], *collector_, i));
    retryTimer_.setInterval(std::chrono::milliseconds(250));
    connect(&retryTimer_, &QTimer::timeout, this, [this] {
        const Plant::Clock::time_point now = Plant::Clock::now();
        for (const std::unique_ptr<Plant>& plant : plants_)
            plant->RetryIfDue(now);
    });
}

void Fleet::Start()
{
    for (const std::unique_ptr<Plant>& plant : plants_)
        plant->Start();
    retryTimer_.start();
}

} // namespace zelt
