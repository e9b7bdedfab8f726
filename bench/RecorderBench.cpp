// The session recorder: what recording adds to one 'R' record on the main
// thread, and the worker's commit of one second's sample with its fsync.

#include "battery/TfrmShow.h"
#include "protocol/FrameCodec.h"
#include "sim/PlantState.h"
#include "sim/Records.h"
#include "status/StatusMonitor.h"
#include "trend/SessionRecorder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTabWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

std::string ReceivedRecord()
{
    const auto plant = zelt::sim::MakePlant(zelt::sim::Scenario{}, QDateTime::currentDateTime());
    const std::string frame =
        zelt::EncodeFrame("R" + zelt::sim::EncodeRectifierStatus(plant, QDateTime::currentDateTime()));
    return frame.substr(2);
}

// Decoding one 'R' record with the recorder listening (range 1) or not (0).
void BM_RectifierRecord(benchmark::State& state)
{
    QTemporaryDir dir;
    QTabWidget pages;
    std::uint8_t alertShown = 0;
    zelt::TfrmShow frmShow{alertShown};
    zelt::StatusMonitor monitor{pages, alertShown, frmShow};
    zelt::SessionRecorder recorder(dir.filePath(QStringLiteral("s.sqlite")), zelt::RecorderSettings{},
                                   {[] { return QStringLiteral("COM1"); }, [](const QString&) {},
                                    [] { return QDateTime::currentMSecsSinceEpoch(); }, zelt::BootClockMs});
    if (state.range(0) != 0)
        monitor.SetListener(&recorder);
    const std::string body = ReceivedRecord();
    for (auto _ : state)
        monitor.DecodeRectifierStatus(body);
    monitor.SetListener(nullptr);
}
BENCHMARK(BM_RectifierRecord)->Arg(0)->Arg(1);

zelt::StoredSample Sample(std::int64_t t)
{
    zelt::TrendSample s;
    s.TimeMs = t;
    s.DcVolt = 53.5;
    s.LoadCurrent = 42;
    s.BattCurrent = 1;
    s.Batt1Temp = 25.1;
    s.Batt1TempValid = true;
    s.RackTemp = 26.8;
    s.BlockVolt = {26.7, 26.8, 26.7, 26.8};
    s.ControllerDate = "20261208";
    s.ControllerTime = "120000";
    return {"COM1/0050C2A1B2C3", s};
}

// One commit of one sample, as the worker does once a second at one record
// a second; the file's size per day of samples is reported beside it.
void BM_RecorderCommit(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    zelt::SessionStore store(path, QStringLiteral("bench"));
    store.Open();
    std::int64_t t = 0;
    for (auto _ : state)
        store.Append({Sample(t += 1000)}, {});
    // A day of samples into a file of its own, after the timed loop; closing
    // it folds the log into the file.
    const QString dayPath = dir.filePath(QStringLiteral("day.sqlite"));
    {
        zelt::SessionStore dayStore(dayPath, QStringLiteral("bench-day"));
        dayStore.Open();
        std::vector<zelt::StoredSample> day;
        for (int i = 0; i < 86400; ++i)
            day.push_back(Sample(std::int64_t{i} * 1000));
        dayStore.Append(day, {});
    }
    state.counters["bytes_per_day"] = static_cast<double>(QFileInfo(dayPath).size());
}
BENCHMARK(BM_RecorderCommit)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
