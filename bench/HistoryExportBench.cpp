// The alarm history export: a full page of 200 records from the simulator's
// history, written to a workbook file (sheet built, file written and synced).

#include "history/HistoryDownload.h"
#include "ui/MessageBox.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "protocol/FrameCodec.h"
#include "sim/History.h"
#include "sim/Records.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_HistoryExport200(benchmark::State& state)
{
    zelt::SetMessageSink([](zelt::MessageKind, const QString&, const QString&) {});
    zelt::RequestScheduler scheduler;
    QTimer timer1;
    zelt::HistoryDownload download(scheduler, timer1, {[](const std::string&) {}, [] { return true; }, [] { return true; }});
    zelt::TfrmHistList list;
    zelt::TfrmHistory window(download, list);
    window.show();
    download.Start();
    const auto history = zelt::sim::MakeHistory(200, QDateTime::currentDateTime());
    for (int n = 1; n <= 200; ++n) {
        const std::string body = zelt::sim::EncodeHistoryRecord(history[static_cast<std::size_t>(n - 1)], n, n == 200);
        download.History_Display(zelt::EncodeFrame("H" + body).substr(2));
    }
    QTemporaryDir dir;
    for (auto _ : state)
        window.SaveFile(dir.path(), QTime(9, 5));
    zelt::SetMessageSink({});
}
BENCHMARK(BM_HistoryExport200)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

} // namespace
