// The TX and RX lamps over a port on a pseudo-terminal.

#include "serial/ComSignal.h"
#include "PortTestSupport.h"

#include <QElapsedTimer>
#include <QFrame>

namespace zelt::test {
namespace {

const QColor kOlive(128, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);

QColor ColorOf(const QWidget& w)
{
    return w.palette().color(QPalette::Window);
}

class LampTest : public PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        tx.SetSignal(siTxChar);
        tx.SetControl(&pnlTx);
        tx.SetColorOff(kOlive);
        tx.SetColorOn(kYellow);
        tx.SetComPort(&port);
        rx.SetSignal(siRxChar);
        rx.SetControl(&pnlRx);
    }

    // The user's own handler, installed before the lamps hook the port.
    void InstallOwnRxChar()
    {
        ownRxChar = [this](QObject* sender) {
            EXPECT_EQ(sender, &port);
            rxLampAtOwnHandler = rx.SignalValue();
            ++ownCalls;
            std::string text;
            port.ReadAvailable(text);
        };
        port.SetOnRxChar(ownRxChar);
    }

    QFrame pnlTx;
    QFrame pnlRx;
    tcomsignal1 tx;
    tcomsignal1 rx;
    TNotifyEvent ownRxChar;
    int ownCalls = 0;
    bool rxLampAtOwnHandler = false;
};

TEST_F(LampTest, DefaultsAndPaintingOnSetup)
{
    TComSignal lamp;
    EXPECT_EQ(lamp.ColorOff(), kGreen);
    EXPECT_EQ(lamp.ColorOn(), kLime);
    EXPECT_EQ(lamp.Delay(), 100);
    EXPECT_EQ(lamp.Signal(), siNone);
    EXPECT_FALSE(lamp.SignalValue());
    EXPECT_EQ(lamp.ComPort(), nullptr);
    EXPECT_EQ(ColorOf(pnlTx), kOlive);
    EXPECT_TRUE(pnlTx.autoFillBackground());
    // ColorOn shows only at the next change; ColorOff at once.
    QFrame panel;
    lamp.SetControl(&panel);
    EXPECT_EQ(ColorOf(panel), kGreen);
    lamp.SetColorOn(Qt::red);
    EXPECT_EQ(ColorOf(panel), kGreen);
    lamp.SetColorOff(Qt::blue);
    EXPECT_EQ(ColorOf(panel), QColor(Qt::blue));
}

TEST_F(LampTest, EachWriteLightsTheTxLampForTheDelay)
{
    port.SetActive(true);
    int changes = 0;
    tx.SetOnSignal([&](QObject* sender) {
        EXPECT_EQ(sender, &tx);
        ++changes;
    });
    QElapsedTimer sent;
    sent.start();
    port.WriteText("\x02L\x03L");
    EXPECT_EQ(ColorOf(pnlTx), kYellow);
    EXPECT_TRUE(tx.SignalValue());
    Pump(40);
    if (sent.elapsed() < tx.Delay()) // a loaded machine may take longer than the delay
        EXPECT_EQ(ColorOf(pnlTx), kYellow);
    EXPECT_TRUE(WaitUntil([&] { return !tx.SignalValue(); }, 5000));
    EXPECT_EQ(ColorOf(pnlTx), kOlive);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(pty.Receive(4), "\x02L\x03L");
}

TEST_F(LampTest, TheTxLampStaysOnWhileAWriteIsInProgress)
{
    // A BeforeWrite handler behind the lamp that takes longer than the delay.
    bool onDuringWrite = false;
    port.SetBeforeWrite([&](QObject*, const char*, int, bool) {
        Pump(250);
        onDuringWrite = tx.SignalValue();
    });
    tx.SetComPort(&port); // hooks again, in front of the handler above
    port.SetActive(true);
    port.WriteText("x");
    EXPECT_TRUE(onDuringWrite);
    EXPECT_TRUE(tx.SignalValue());
    EXPECT_TRUE(WaitUntil([&] { return !tx.SignalValue(); }, 5000));
}

TEST_F(LampTest, EachChunkLightsTheRxLampAndTheOwnHandlerStillRuns)
{
    InstallOwnRxChar();
    rx.SetComPort(&port);
    port.SetActive(true);
    // A burst: each chunk keeps the lamp on for the delay after it, so a
    // look sooner than that after sending sees it on (a loaded machine may
    // look later, and then proves nothing).
    for (int i = 0; i < 4; ++i) {
        QElapsedTimer sent;
        sent.start();
        pty.Send("ab");
        ASSERT_TRUE(WaitUntil([&] { return ownCalls == i + 1; }, 5000));
        EXPECT_TRUE(rxLampAtOwnHandler); // lit before the own handler runs
        Pump(30);
        if (sent.elapsed() < rx.Delay())
            EXPECT_EQ(ColorOf(pnlRx), kLime);
    }
    EXPECT_TRUE(WaitUntil([&] { return !rx.SignalValue(); }, 5000));
    EXPECT_EQ(ColorOf(pnlRx), kGreen);
}

TEST_F(LampTest, BothLampsRefreshOnOpenAndCloseAndThePortHandlersStillRun)
{
    int afterOpen = 0;
    int afterClose = 0;
    port.SetAfterOpen([&](TCustomComPort* p) {
        EXPECT_EQ(p, &port);
        ++afterOpen;
    });
    port.SetAfterClose([&](TCustomComPort*) { ++afterClose; });
    tx.SetComPort(&port);
    InstallOwnRxChar();
    rx.SetComPort(&port);

    port.SetActive(true);
    EXPECT_EQ(afterOpen, 1);
    port.WriteText("x");
    pty.Send("y");
    ASSERT_TRUE(WaitUntil([&] { return ownCalls == 1; }));
    ASSERT_TRUE(tx.SignalValue());
    ASSERT_TRUE(rx.SignalValue());
    port.SetActive(false); // within the delay: only the refresh turns them off
    EXPECT_FALSE(tx.SignalValue());
    EXPECT_FALSE(rx.SignalValue());
    EXPECT_EQ(ColorOf(pnlTx), kOlive);
    EXPECT_EQ(ColorOf(pnlRx), kGreen);
    EXPECT_EQ(afterClose, 1);
}

TEST_F(LampTest, UndoGivesBackTheSavedHandlerOnlyWhenThePortStillHoldsTheLampsOwn)
{
    InstallOwnRxChar();
    auto first = std::make_unique<TComSignal>();
    first->SetSignal(siRxChar);
    first->SetComPort(&port);
    const TNotifyEvent firstOwn = port.OnRxChar();
    EXPECT_FALSE(firstOwn == ownRxChar);
    auto second = std::make_unique<TComSignal>();
    second->SetSignal(siRxChar);
    second->SetComPort(&port);
    const TNotifyEvent secondOwn = port.OnRxChar();

    // The last to hook lets go first: each gives back what it saved.
    second.reset();
    EXPECT_TRUE(port.OnRxChar() == firstOwn);
    first.reset();
    EXPECT_TRUE(port.OnRxChar() == ownRxChar);

    // A handler installed after the lamp stays when the lamp lets go.
    TComSignal lamp;
    lamp.SetSignal(siRxChar);
    lamp.SetComPort(&port);
    const TNotifyEvent later = [](QObject*) {};
    port.SetOnRxChar(later);
    lamp.SetComPort(nullptr);
    EXPECT_TRUE(port.OnRxChar() == later);
    EXPECT_FALSE(secondOwn == later);
}

TEST_F(LampTest, RemovingALampThatIsNotTheLastKeepsTheChainWorking)
{
    InstallOwnRxChar();
    auto first = std::make_unique<TComSignal>();
    first->SetSignal(siRxChar);
    first->SetComPort(&port);
    rx.SetComPort(&port); // hooks behind the first
    const TNotifyEvent rxOwn = port.OnRxChar();
    first.reset();
    EXPECT_TRUE(port.OnRxChar() == rxOwn);

    port.SetActive(true);
    pty.Send("z");
    ASSERT_TRUE(WaitUntil([&] { return ownCalls == 1; }));
    EXPECT_TRUE(rx.SignalValue());
}

TEST_F(LampTest, TheLampLetsGoOfADestroyedPortAndControl)
{
    auto other = std::make_unique<tcomport2>();
    auto panel = std::make_unique<QFrame>();
    TComSignal lamp;
    lamp.SetSignal(siTxChar);
    lamp.SetComPort(other.get());
    lamp.SetControl(panel.get());
    panel.reset();
    EXPECT_EQ(lamp.Control(), nullptr);
    other.reset();
    EXPECT_EQ(lamp.ComPort(), nullptr);
    lamp.SetColorOff(Qt::blue); // nothing left to paint
}

TEST_F(LampTest, ChangingTheSignalMovesTheHook)
{
    TComSignal lamp;
    lamp.SetComPort(&port);
    EXPECT_FALSE(port.OnRxChar());
    lamp.SetSignal(siRxChar);
    EXPECT_TRUE(port.OnRxChar());
    lamp.SetSignal(siLineError);
    EXPECT_FALSE(port.OnRxChar());
    EXPECT_TRUE(port.OnLineError());
    lamp.SetSignal(siCTS);
    EXPECT_FALSE(port.OnLineError());
    EXPECT_TRUE(port.OnCTSChange());
    port.SetActive(true);
    EXPECT_FALSE(lamp.SignalValue()); // a pseudo-terminal has no modem lines
}

} // namespace
} // namespace zelt::test
