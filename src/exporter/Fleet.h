#pragma once

// Every configured plant, their metrics, and the one timer that opens lines
// again once their wait is over.

#include "exporter/ExporterConfig.h"
#include "exporter/FleetCollector.h"
#include "exporter/Plant.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace zelt {

class Fleet : public QObject {
public:
    explicit Fleet(const ExporterConfig& config, QObject* parent = nullptr);

    // Opens every line and starts the timer.
    void Start();
    const std::shared_ptr<FleetCollector>& Collector() const { return collector_; }

private:
    std::shared_ptr<FleetCollector> collector_;
    std::vector<std::unique_ptr<Plant>> plants_;
    QTimer retryTimer_;
};

} // namespace zelt
