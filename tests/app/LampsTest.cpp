#include "WindowFixture.h"

#include "protocol/FrameCodec.h"

#include <QElapsedTimer>
#include <QLabel>

using namespace zelt;
using namespace zelt::test;

namespace {

const QColor Olive(128, 128, 0);
const QColor Yellow(255, 255, 0);
const QColor Green(0, 128, 0);
const QColor Lime(0, 255, 0);

class LampsTest : public WindowTest {
protected:
    QColor Colour(const char* panel) const
    {
        return window->findChild<QLabel*>(QString::fromLatin1(panel))->palette().color(QPalette::Window);
    }
    // Milliseconds from now until the panel shows colour (-1 when it does not within ms).
    int MsUntil(const char* panel, const QColor& colour, int ms = 1000) const
    {
        QElapsedTimer clock;
        clock.start();
        return WaitUntil([&] { return Colour(panel) == colour; }, ms) ? static_cast<int>(clock.elapsed()) : -1;
    }
};

} // namespace

TEST_F(LampsTest, StartInTheirOffColours)
{
    EXPECT_EQ(Colour("pnl_TX"), Olive);
    EXPECT_EQ(Colour("pnl_RX"), Green);
}

// Timers never fire early, so a lamp seen lit stays lit for nearly its
// whole hold time; the upper bounds leave room for a loaded machine.
TEST_F(LampsTest, TxLightsForEachFrameSentAndGoesOutAfterTheHoldTime)
{
    Connect();
    for (int i = 0; i < 2; ++i) {
        window->Scheduler().PostCommand(KindSystem, "123");
        ASSERT_GE(MsUntil("pnl_TX", Yellow), 0) << "frame " << i;
        const int off = MsUntil("pnl_TX", Olive);
        EXPECT_GE(off, 90);
        EXPECT_LT(off, 500);
        EXPECT_EQ(controller.ReceiveBytes(7, 500), EncodeFrame("O123"));
    }
}

TEST_F(LampsTest, RxLightsForEachChunkAndGoesOutAfterTheHoldTime)
{
    Connect();
    for (int i = 0; i < 3; ++i) {
        controller.Send("noise");
        ASSERT_GE(MsUntil("pnl_RX", Lime, 500), 0) << "chunk " << i;
        const int off = MsUntil("pnl_RX", Green);
        EXPECT_GE(off, 90);
        EXPECT_LT(off, 500);
    }
    // The window's own receive handler still runs behind the lamp.
    controller.Send(EncodeFrame("O1"));
    EXPECT_TRUE(WaitUntil([&] { return !ResultLines().isEmpty(); }));
}

TEST_F(LampsTest, EachLampGoesOutAtOnceWhenThePortCloses)
{
    for (const char* lamp : {"pnl_TX", "pnl_RX"}) {
        SCOPED_TRACE(lamp);
        Connect();
        const bool tx = lamp == std::string("pnl_TX");
        if (tx)
            window->Scheduler().PostCommand(KindBattLoad);
        else
            controller.Send("x");
        ASSERT_GE(MsUntil(lamp, tx ? Yellow : Lime), 0);
        Button("btnDisconnect")->click();
        EXPECT_EQ(Colour("pnl_TX"), Olive);
        EXPECT_EQ(Colour("pnl_RX"), Green);
    }
    // Reopened, they stay off until the line is used.
    Connect();
    EXPECT_EQ(Colour("pnl_TX"), Olive);
    EXPECT_EQ(Colour("pnl_RX"), Green);
}
