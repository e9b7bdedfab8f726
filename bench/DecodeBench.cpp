// Per-record cost of the status decoders, onto the real status area.

#include "protocol/FrameCodec.h"
#include "sim/PlantState.h"
#include "sim/Records.h"
#include "status/StatusMonitor.h"

#include <QDateTime>
#include <QTabWidget>
#include <benchmark/benchmark.h>

namespace {

// RxBody as the cutter leaves it: payload, ETX, checksum byte.
std::string ReceivedBody(char letter, const std::string& payload)
{
    const std::string frame = zelt::EncodeFrame(std::string(1, letter) + payload);
    return frame.substr(2);
}

struct DecodeFixture {
    QTabWidget pages;
    std::uint8_t testAlertShown = 0;
    zelt::StatusMonitor monitor{pages, testAlertShown};
    zelt::sim::PlantState plant = zelt::sim::MakePlant(zelt::sim::Scenario{}, QDateTime::currentDateTime());
};

void BM_DecodeRectifierStatus(benchmark::State& state)
{
    DecodeFixture f;
    const std::string body = ReceivedBody('R', zelt::sim::EncodeRectifierStatus(f.plant, QDateTime::currentDateTime()));
    for (auto _ : state)
        f.monitor.DecodeRectifierStatus(body);
}
BENCHMARK(BM_DecodeRectifierStatus);

void BM_DecodeAlarmStatus(benchmark::State& state)
{
    DecodeFixture f;
    const std::string body = ReceivedBody('K', zelt::sim::EncodeAlarmStatus(f.plant));
    for (auto _ : state)
        f.monitor.DecodeAlarmStatus(body);
}
BENCHMARK(BM_DecodeAlarmStatus);

void BM_DecodeUnitStatus(benchmark::State& state)
{
    DecodeFixture f;
    const std::string body = ReceivedBody('U', zelt::sim::EncodeUnitStatus(f.plant));
    for (auto _ : state)
        f.monitor.DecodeUnitStatus(body);
}
BENCHMARK(BM_DecodeUnitStatus);

} // namespace
