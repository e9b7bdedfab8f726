// Per-record cost of the status decoders, onto the real status area.

#include "battery/TfrmShow.h"
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
    zelt::TfrmShow frmShow{testAlertShown};
    zelt::StatusMonitor monitor{pages, testAlertShown, frmShow};
    zelt::sim::PlantState plant = zelt::sim::MakePlant(zelt::sim::Scenario{}, QDateTime::currentDateTime());
};

// Decodes the record that encode builds, with decode, once per iteration.
template <typename Encode, typename Decode>
void DecodeRecord(benchmark::State& state, char letter, Encode encode, Decode decode)
{
    DecodeFixture f;
    const std::string body = ReceivedBody(letter, encode(f.plant));
    for (auto _ : state)
        (f.monitor.*decode)(body);
}

void BM_DecodeRectifierStatus(benchmark::State& state)
{
    DecodeRecord(state, 'R', [](const zelt::sim::PlantState& p) { return zelt::sim::EncodeRectifierStatus(p, QDateTime::currentDateTime()); },
                 &zelt::StatusMonitor::DecodeRectifierStatus);
}
BENCHMARK(BM_DecodeRectifierStatus);

void BM_DecodeAlarmStatus(benchmark::State& state)
{
    DecodeRecord(state, 'K', zelt::sim::EncodeAlarmStatus, &zelt::StatusMonitor::DecodeAlarmStatus);
}
BENCHMARK(BM_DecodeAlarmStatus);

void BM_DecodeUnitStatus(benchmark::State& state)
{
    DecodeRecord(state, 'U', zelt::sim::EncodeUnitStatus, &zelt::StatusMonitor::DecodeUnitStatus);
}
BENCHMARK(BM_DecodeUnitStatus);

} // namespace
