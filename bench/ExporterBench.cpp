// The exporter's own share of a scrape: copying every plant's sample under
// the lock, building the metric families, writing them as text and gzipping
// it, as for Prometheus.

#include "exporter/FleetCollector.h"
#include "exporter/MetricsServer.h"
#include "exporter/PlantDecoder.h"
#include "sim/PlantState.h"
#include "sim/Records.h"

#include <QDateTime>
#include <benchmark/benchmark.h>

namespace {

void BM_ExporterScrape(benchmark::State& state)
{
    const auto plants = static_cast<std::size_t>(state.range(0));
    const QDateTime now = QDateTime::currentDateTime();
    const zelt::sim::PlantState plant = zelt::sim::MakePlant(zelt::sim::Scenario{}, now);
    zelt::PlantDecoder decoder;
    zelt::PlantSample sample;
    decoder.Decode('K', zelt::sim::EncodeAlarmStatus(plant), sample);
    decoder.Decode('U', zelt::sim::EncodeUnitStatus(plant), sample);
    decoder.Decode('R', zelt::sim::EncodeRectifierStatus(plant, now), sample);
    std::vector<zelt::PlantLabels> labels;
    for (std::size_t i = 0; i < plants; ++i)
        labels.push_back({{"plant", "p" + std::to_string(i)}, {"site", "s" + std::to_string(i)}});
    const auto collector = std::make_shared<zelt::FleetCollector>(labels);
    for (std::size_t i = 0; i < plants; ++i)
        collector->Publish(i, sample);
    zelt::MetricsServer server;
    server.Add(collector);
    std::size_t bytes = 0;
    std::size_t gzipped = 0;
    for (auto _ : state) {
        const std::string text = server.Scrape();
        bytes = static_cast<std::size_t>(text.size());
        gzipped = static_cast<std::size_t>(zelt::Gzip(text).size());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["gzipped"] = static_cast<double>(gzipped);
}
BENCHMARK(BM_ExporterScrape)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
// Few enough iterations that the plants stay up (records of the last 10 s).
BENCHMARK(BM_ExporterScrape)->Arg(1000)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
