#include "WindowFixture.h"

#include "protocol/FrameCodec.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>

#include <utility>
#include <vector>

using namespace zelt;
using namespace zelt::test;

namespace {

const QColor Olive(128, 128, 0);
const QColor Yellow(255, 255, 0);
const QColor Green(0, 128, 0);
const QColor Lime(0, 255, 0);

// Each colour a lamp panel takes, with the time it took it. The lamp sets its
// panel's palette, which delivers the change at once: a poll of the colour
// could miss a 100 ms light on a loaded machine, and would see it late.
class ColourLog : public QObject {
public:
    explicit ColourLog(QWidget* panel) : panel_(panel)
    {
        clock_.start();
        panel_->installEventFilter(this);
    }
    // Ms at which the panel next took colour, after the changes already
    // taken by earlier calls; -1 when it did not within ms.
    qint64 Next(const QColor& colour, int ms = 5000)
    {
        qint64 at = -1;
        WaitUntil(
            [&] {
                for (; seen_ < changes_.size() && at < 0; ++seen_)
                    if (changes_[seen_].second == colour)
                        at = changes_[seen_].first;
                return at >= 0;
            },
            ms);
        return at;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            changes_.emplace_back(clock_.elapsed(), panel_->palette().color(QPalette::Window));
        return false;
    }

private:
    QWidget* panel_;
    QElapsedTimer clock_;
    std::vector<std::pair<qint64, QColor>> changes_;
    std::size_t seen_ = 0;
};

class LampsTest : public WindowTest {
protected:
    QLabel* Panel(const char* name) const { return window->findChild<QLabel*>(QString::fromLatin1(name)); }
    QColor Colour(const char* panel) const { return Panel(panel)->palette().color(QPalette::Window); }
    // The lamp lights once and goes out after its hold time (a coarse timer
    // fires at most 5 % early); the upper bound only says it goes out, with
    // room for a loaded machine.
    static void ExpectOneHold(ColourLog& log, const QColor& on, const QColor& off)
    {
        const qint64 lit = log.Next(on);
        ASSERT_GE(lit, 0);
        const qint64 out = log.Next(off);
        ASSERT_GE(out, 0);
        EXPECT_GE(out - lit, 90);
        EXPECT_LT(out - lit, 2000);
    }
};

} // namespace

// Off colours, with the caption centred in white on a raised panel.
TEST_F(LampsTest, StartInTheirOffColours)
{
    for (const auto& [name, off] : {std::pair{"pnl_TX", Olive}, std::pair{"pnl_RX", Green}}) {
        SCOPED_TRACE(name);
        const QLabel* lamp = Panel(name);
        EXPECT_EQ(Colour(name), off);
        EXPECT_EQ(lamp->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_EQ(lamp->alignment(), Qt::AlignCenter);
        EXPECT_EQ(lamp->frameStyle(), QFrame::Panel | QFrame::Raised);
    }
}

TEST_F(LampsTest, TxLightsForEachFrameSentAndGoesOutAfterTheHoldTime)
{
    Connect();
    ColourLog log(Panel("pnl_TX"));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        window->Scheduler().PostCommand(KindSystem, "123");
        ExpectOneHold(log, Yellow, Olive);
        EXPECT_EQ(controller.ReceiveBytes(7, 5000), EncodeFrame("O123"));
    }
}

TEST_F(LampsTest, RxLightsForEachChunkAndGoesOutAfterTheHoldTime)
{
    Connect();
    ColourLog log(Panel("pnl_RX"));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        controller.Send("noise");
        ExpectOneHold(log, Lime, Green);
    }
    // The window's own receive handler still runs behind the lamp.
    controller.Send(EncodeFrame("O1"));
    EXPECT_TRUE(WaitUntil([&] { return !ResultLines().isEmpty(); }, 5000));
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
        ColourLog log(Panel(lamp));
        ASSERT_GE(log.Next(tx ? Yellow : Lime), 0);
        Button("btnDisconnect")->click();
        EXPECT_EQ(Colour("pnl_TX"), Olive);
        EXPECT_EQ(Colour("pnl_RX"), Green);
    }
    // Reopened, they stay off until the line is used.
    Connect();
    EXPECT_EQ(Colour("pnl_TX"), Olive);
    EXPECT_EQ(Colour("pnl_RX"), Green);
}
