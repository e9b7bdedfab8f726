// A plant's line on a clock of the test's own: the wait before the line is
// opened again doubles from 1 s to at most a minute and starts over once a
// frame has come.

#include "exporter/FleetCollector.h"
#include "exporter/Plant.h"
#include "exporter/Series.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "protocol/FrameCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zelt {
namespace {

using namespace std::chrono_literals;

TEST(ExporterPlant, ReopenWaitDoublesToAMinuteAndStartsOverAfterAFrame)
{
    const QTemporaryDir dir;
    const QString line = dir.filePath("line"); // a link to nothing, then to a terminal
    FleetCollector collector({test::PlantP});
    Plant::Clock::time_point now{};
    Plant plant({"p", line, {}}, collector, 0, [&] { return now; });
    const auto series = [&](const char* name) { return test::Series(collector.Collect())[name]; };
    double reopens = 0;
    // Each attempt at the line finds nothing and waits twice as long.
    plant.Start();
    for (const std::chrono::seconds wait : {1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s}) {
        now += wait - 1ms;
        plant.RetryIfDue(now);
        EXPECT_EQ(series("zelt_line_reopens_total{}"), reopens) << wait.count();
        now += 1ms;
        plant.RetryIfDue(now);
        EXPECT_EQ(series("zelt_line_reopens_total{}"), ++reopens) << wait.count();
    }

    test::PtyPair pty;
    ASSERT_TRUE(QFile::link(QString::fromStdString(pty.SlavePath()), line));
    now += 60s;
    plant.RetryIfDue(now);
    pty.Send(EncodeFrame("K00000000F1FC00"));
    ASSERT_TRUE(test::WaitUntil([&] { return series("zelt_frames_received_total{}") == 1; }, 10000));
    pty.CloseMaster();
    // Once the hang-up is seen the line waits 1 s again.
    const double before = series("zelt_line_reopens_total{}");
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            plant.RetryIfDue(now + 999ms);
            EXPECT_EQ(series("zelt_line_reopens_total{}"), before);
            plant.RetryIfDue(now + 1s);
            return series("zelt_line_reopens_total{}") > before;
        },
        10000));
}

} // namespace
} // namespace zelt
