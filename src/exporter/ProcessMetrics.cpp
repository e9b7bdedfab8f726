#include "exporter/ProcessMetrics.h"

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace zelt {

namespace {

std::string ReadFile(const char* path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double OpenFds()
{
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return 0;
    double count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    return count - 1; // the one listing them
}

prometheus::MetricFamily Family(const char* name, const char* help, prometheus::MetricType type, double value)
{
    prometheus::ClientMetric metric;
    if (type == prometheus::MetricType::Counter)
        metric.counter.value = value;
    else
        metric.gauge.value = value;
    return {name, help, type, {metric}};
}

} // namespace

std::optional<ProcessFigures> ParseProcessStat(const std::string& stat, double bootTime, long ticksPerSecond,
                                               long pageSize)
{
    // The command name in parentheses may hold blanks and parentheses; the
    // fields after it start with the state, field 3.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::vector<std::string> field;
    for (std::string f; fields >> f;)
        field.push_back(f);
    // Field N of proc(5) is field[N - 3]: utime 14, stime 15, starttime 22, vsize 23, rss 24.
    if (field.size() < 22)
        return std::nullopt;
    try {
        const double ticks = static_cast<double>(ticksPerSecond);
        ProcessFigures figures;
        figures.cpuSeconds = (std::stod(field[11]) + std::stod(field[12])) / ticks;
        figures.startTimeSeconds = bootTime + std::stod(field[19]) / ticks;
        figures.virtualBytes = std::stod(field[20]);
        figures.residentBytes = std::stod(field[21]) * static_cast<double>(pageSize);
        return figures;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<double> ParseBootTime(const std::string& procStat)
{
    std::istringstream lines(procStat);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("btime ", 0) == 0) {
            try {
                return std::stod(line.substr(6));
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    return std::nullopt;
}

std::vector<prometheus::MetricFamily> ProcessCollector::Collect() const
{
    using prometheus::MetricType;
    std::vector<prometheus::MetricFamily> families;
    const std::optional<double> bootTime = ParseBootTime(ReadFile("/proc/stat"));
    const std::optional<ProcessFigures> figures = ParseProcessStat(
        ReadFile("/proc/self/stat"), bootTime.value_or(0), sysconf(_SC_CLK_TCK), sysconf(_SC_PAGESIZE));
    if (figures && bootTime) {
        families.push_back(Family("process_cpu_seconds_total", "Total user and system CPU time spent in seconds.",
                                  MetricType::Counter, figures->cpuSeconds));
        families.push_back(Family("process_resident_memory_bytes", "Resident memory size in bytes.",
                                  MetricType::Gauge, figures->residentBytes));
        families.push_back(Family("process_virtual_memory_bytes", "Virtual memory size in bytes.",
                                  MetricType::Gauge, figures->virtualBytes));
        families.push_back(Family("process_start_time_seconds",
                                  "Start time of the process since unix epoch in seconds.", MetricType::Gauge,
                                  figures->startTimeSeconds));
    }
    families.push_back(
        Family("process_open_fds", "Number of open file descriptors.", MetricType::Gauge, OpenFds()));
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0)
        families.push_back(Family("process_max_fds", "Maximum number of open file descriptors.",
                                  MetricType::Gauge, static_cast<double>(limit.rlim_cur)));
    return families;
}

} // namespace zelt
