// The exporter's own share of a scrape: copying every plant's sample under
// the lock, building the metric families and writing them as text.

#include "exporter/FleetCollector.h"
#include "exporter/PlantDecoder.h"
#include "sim/PlantState.h"
#include "sim/Records.h"

#include <QDateTime>
#include <benchmark/benchmark.h>
#include <prometheus/text_serializer.h>

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
    zelt::FleetCollector collector(labels);
    for (std::size_t i = 0; i < plants; ++i)
        collector.Publish(i, sample);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = prometheus::TextSerializer().Serialize(collector.Collect()).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExporterScrape)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace
