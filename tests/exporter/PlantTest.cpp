// A plant's line on a clock of the test's own: the wait before the line is
// opened again doubles from 1 s to at most a minute and starts over once a
// frame has come; a reopened line starts with a fresh frame.

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
    // Each attempt at the line finds nothing, says so, and waits twice as long.
    testing::internal::CaptureStderr();
    plant.Start();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("plant p: cannot open " + line.toStdString() + ": "),
              std::string::npos);
    for (const std::chrono::seconds wait : {1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s}) {
        now += wait - 1ms;
        plant.RetryIfDue(now);
        EXPECT_EQ(series("zelt_line_reopens_total{}"), reopens) << wait.count();
        now += 1ms;
        plant.RetryIfDue(now);
        EXPECT_EQ(series("zelt_line_reopens_total{}"), ++reopens) << wait.count();
    }

    // A frame comes, then half of one, and the line hangs up.
    test::PtyPair first;
    ASSERT_TRUE(QFile::link(QString::fromStdString(first.SlavePath()), line));
    now += 60s;
    plant.RetryIfDue(now);
    first.Send(EncodeFrame("K00000000F1FC00") + "\x02K0000");
    ASSERT_TRUE(test::WaitUntil([&] { return series("zelt_frames_received_total{}") == 1; }, 10000));
    test::PtyPair second;
    ASSERT_TRUE(QFile::remove(line) && QFile::link(QString::fromStdString(second.SlavePath()), line));
    first.CloseMaster();
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
    // The reopened line's first frame is not glued to the half one.
    second.Send(EncodeFrame("K00000000F1FC00"));
    EXPECT_TRUE(test::WaitUntil([&] { return series("zelt_frames_received_total{}") == 2; }, 10000));
}

} // namespace
} // namespace zelt
