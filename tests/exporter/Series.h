#pragma once

// The series of a scrape as name{own labels} → value, for tests that read
// many of them.

#include "exporter/FleetMetrics.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace zelt::test {

// The labels of the one plant these tests watch.
inline const PlantLabels PlantP{{"plant", "p"}, {"site", "s"}};

// Own labels in their order after the plant's, "" without any. Fails the
// test for a plant series that does not lead with the plant's labels.
inline std::map<std::string, double> Series(const std::vector<prometheus::MetricFamily>& families)
{
    std::map<std::string, double> series;
    for (const prometheus::MetricFamily& family : families) {
        for (const prometheus::ClientMetric& metric : family.metric) {
            auto own = metric.label.begin();
            if (family.name != "zelt_exporter_build_info") {
                if (metric.label.size() < PlantP.size() ||
                    !std::equal(PlantP.begin(), PlantP.end(), metric.label.begin())) {
                    ADD_FAILURE() << family.name << " without the plant's labels";
                    continue;
                }
                own += static_cast<std::ptrdiff_t>(PlantP.size());
            }
            std::string key = family.name + "{";
            for (auto label = own; label != metric.label.end(); ++label)
                key += (label == own ? "" : ",") + label->name + "=\"" + label->value + "\"";
            series[key + "}"] =
                family.type == prometheus::MetricType::Counter ? metric.counter.value : metric.gauge.value;
        }
    }
    return series;
}

} // namespace zelt::test
