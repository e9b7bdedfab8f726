// The process figures read from /proc texts.

#include "exporter/ProcessMetrics.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(ExporterProcess, ReadsStatFieldsAfterAnAwkwardName)
{
    // Fields 14 and 15 CPU ticks, 22 start ticks, 23 virtual bytes, 24 resident pages.
    const std::string stat = "4242 (a) b (c)) S 1 2 3 4 5 6 7 8 9 10 250 150 11 12 13 14 15 16 "
                             "3000 8192 7 0 0";
    const std::optional<ProcessFigures> figures = ParseProcessStat(stat, 1'700'000'000, 100, 4096);
    ASSERT_TRUE(figures);
    EXPECT_DOUBLE_EQ(figures->cpuSeconds, 4.0);
    EXPECT_DOUBLE_EQ(figures->startTimeSeconds, 1'700'000'030);
    EXPECT_DOUBLE_EQ(figures->virtualBytes, 8192);
    EXPECT_DOUBLE_EQ(figures->residentBytes, 7 * 4096);
    EXPECT_FALSE(ParseProcessStat("4242 (a) S 1 2 3", 0, 100, 4096));
    EXPECT_FALSE(ParseProcessStat("no name", 0, 100, 4096));
    EXPECT_FALSE(ParseProcessStat(stat.substr(0, stat.size() - 5) + "x 7", 0, 100, 4096));

    EXPECT_EQ(ParseBootTime("cpu 1 2\nbtime 1699999999\nprocesses 5\n"), 1699999999.0);
    EXPECT_FALSE(ParseBootTime("cpu 1 2\nbtimes 5\n"));
    EXPECT_FALSE(ParseBootTime("btime x\n"));
}

TEST(ExporterProcess, CollectsItsOwnFigures)
{
    std::map<std::string, double> values;
    for (const prometheus::MetricFamily& family : ProcessCollector().Collect())
        values[family.name] = family.type == prometheus::MetricType::Counter ? family.metric.at(0).counter.value
                                                                              : family.metric.at(0).gauge.value;
    EXPECT_GT(values.at("process_resident_memory_bytes"), 1e6);
    EXPECT_GT(values.at("process_open_fds"), 2);
    EXPECT_GE(values.at("process_max_fds"), values.at("process_open_fds"));
    EXPECT_GT(values.at("process_start_time_seconds"), 1.6e9);
    EXPECT_GT(values.at("process_cpu_seconds_total"), 0);
}

} // namespace
} // namespace zelt
