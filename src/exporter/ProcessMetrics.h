#pragma once

// The exporter's own process figures under the names Prometheus's client
// libraries give them: process_cpu_seconds_total, process_resident_memory_bytes,
// process_virtual_memory_bytes, process_open_fds, process_max_fds and
// process_start_time_seconds, read from /proc at each scrape.

#include <prometheus/collectable.h>
#include <prometheus/metric_family.h>

#include <optional>
#include <string>

namespace zelt {

struct ProcessFigures {
    double cpuSeconds = 0;       // user and system
    double residentBytes = 0;
    double virtualBytes = 0;
    double startTimeSeconds = 0; // since the Unix epoch
};

// From the text of /proc/self/stat, the boot time of /proc/stat's btime
// line, the clock ticks per second and the page size; nothing for a text
// that is not such a line.
std::optional<ProcessFigures> ParseProcessStat(const std::string& stat, double bootTime, long ticksPerSecond,
                                               long pageSize);
// The btime value of /proc/stat's text; nothing when it has none.
std::optional<double> ParseBootTime(const std::string& procStat);

class ProcessCollector : public prometheus::Collectable {
public:
    std::vector<prometheus::MetricFamily> Collect() const override;
};

} // namespace zelt
