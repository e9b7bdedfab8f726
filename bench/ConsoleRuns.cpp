#include "ConsoleRuns.h"

#include "Pty.h"
#include "ReaderCpu.h"
#include "app/MainForm.h"
#include "protocol/FrameCodec.h"
#include "sim/PlantState.h"
#include "sim/Records.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace zelt::bench {

std::vector<std::string> RecordFrames(int count)
{
    const QDateTime now = QDateTime::currentDateTime();
    sim::PlantState plant = sim::MakePlant(sim::Scenario{}, now);
    std::vector<std::string> frames;
    for (int i = 0; i < count; ++i) {
        plant.readings.dcVolt = 400 + i % 500;
        frames.push_back(EncodeFrame("R" + sim::EncodeRectifierStatus(plant, now)));
    }
    return frames;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p / 100 * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

ConsoleRun RunConsole(const StreamPlan& plan)
{
    PtyPair pty;
    ConsoleRun run;
    run.framesSent = plan.frames.size();
    TMain_Form window;
    window.show();
    window.ComPort11().SetDeviceName(QString::fromStdString(pty.slavePath));
    window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();

    // Behind the window's own AfterRead handler: the decoder has run when it returns.
    std::vector<std::int64_t> changedAt;
    std::string lastText = window.Status().Area().Text("pnlDC_V");
    const TComDataEvent windowHandler = window.ComPort11().AfterRead();
    window.ComPort11().SetAfterRead([&](QObject* sender, const char* buffer, int length, bool wait) {
        windowHandler(sender, buffer, length, wait);
        const std::string text = window.Status().Area().Text("pnlDC_V");
        if (text != lastText) {
            changedAt.push_back(MonotonicNs());
            lastText = text;
        }
    });

    QElapsedTimer beat;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        run.latenessMs.push_back(static_cast<double>(beat.nsecsElapsed()) / 1e6 - 10);
        beat.restart();
    });

    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        StreamWriter writer(pty.master, plan);
        beat.start();
        heartbeat.start(10);
        QElapsedTimer quiet;
        quiet.start();
        std::size_t seen = 0;
        // Until every frame has been decoded, or nothing new for two seconds.
        while (changedAt.size() < run.framesSent && quiet.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (changedAt.size() != seen) {
                seen = changedAt.size();
                quiet.restart();
            }
        }
        heartbeat.stop();
        writer.Wait();
        run.wallSeconds = static_cast<double>(wall.elapsed()) / 1000;
        run.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
        run.framesDecoded = changedAt.size();
        // Records are decoded in order; when none is lost the i-th change is the i-th frame.
        if (run.framesDecoded == run.framesSent)
            for (std::size_t i = 0; i < changedAt.size(); ++i)
                run.latencyMs.push_back(static_cast<double>(changedAt[i] - writer.WrittenAt(i)) / 1e6);
    }
    window.findChild<QAbstractButton*>(QStringLiteral("btnDisconnect"))->click();
    return run;
}

} // namespace zelt::bench
