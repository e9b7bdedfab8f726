// Line events, transfers and the event thread, over a pseudo-terminal with
// the test playing the controller on the master side.

#include "protocol/FrameCodec.h"
#include "PortTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <sys/resource.h>
#include <thread>

namespace zelt::test {
namespace {

using namespace std::chrono_literals;

// CPU time of the whole process so far, in milliseconds.
double ProcessCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

class PortEventsTest : public PortTest {
protected:
    // The main window's receive path: OnRxChar reads everything waiting,
    // AfterRead runs the assembler and cuts every frame that completed.
    void UseReceivePath()
    {
        port.SetOnRxChar([this](QObject* sender) {
            EXPECT_EQ(sender, &port);
            std::string text;
            port.ReadAvailable(text);
        });
        port.SetAfterRead([this](QObject*, const char* buffer, int length, bool) {
            reads.emplace_back(buffer, static_cast<std::size_t>(length));
            rx.Assemble(std::string_view(buffer, static_cast<std::size_t>(length)));
            do {
                if (rx.FrameReady != 0) {
                    rx.FrameReady = 0;
                    if (rx.CutFrame())
                        frames.push_back(std::string(1, rx.RxType) + rx.RxBody);
                }
            } while (rx.NextFrame());
        });
    }

    FrameReceiver rx;
    std::vector<std::string> reads;
    std::vector<std::string> frames;
};

TEST_F(PortEventsTest, AFrameSplitOverReadsIsAssembledAcrossThem)
{
    UsePlantSettings();
    UseReceivePath();
    port.SetActive(true);
    const std::string parts[] = {"\x02\x4c", "\x03", "\x4c"};
    for (std::size_t i = 0; i < 3; ++i) {
        pty.Send(parts[i]);
        ASSERT_TRUE(WaitUntil([&] { return reads.size() == i + 1; })) << i << " " << reads.size();
        EXPECT_EQ(reads[i], parts[i]);
        EXPECT_EQ(frames.size(), i == 2 ? 1u : 0u);
    }
    EXPECT_EQ(frames[0], "L\x03\x4c");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PortEventsTest, ReadAvailableWithNothingWaitingRaisesAfterReadWithLengthZero)
{
    UseReceivePath();
    port.SetActive(true);
    std::string text = "old";
    port.ReadAvailable(text);
    EXPECT_EQ(text, "");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0], "");
}

TEST_F(PortEventsTest, WriteTextReachesTheLine)
{
    UsePlantSettings();
    port.SetActive(true);
    port.WriteText(EncodeFrame("O123"));
    EXPECT_EQ(pty.Receive(7), std::string("\x02\x4f\x31\x32\x33\x03\xe5", 7));
}

// The checksum byte may be XON or XOFF: frames carrying them arrive intact,
// back to back in one read, and a received XOFF does not stop the console's output.
TEST_F(PortEventsTest, ChecksumsEqualToXOnAndXOffPassBothWays)
{
    const std::string xon = EncodeFrame("O0002"), xoff = EncodeFrame("O0004");
    ASSERT_EQ(xon.back(), '\x11');
    ASSERT_EQ(xoff.back(), '\x13');
    UsePlantSettings();
    UseReceivePath();
    port.SetActive(true);
    pty.Send(xon + xoff);
    ASSERT_TRUE(WaitUntil([&] { return frames.size() == 2; })) << frames.size();
    EXPECT_EQ(frames[0], "O0002\x03\x11");
    EXPECT_EQ(frames[1], "O0004\x03\x13");
    port.WriteText(xoff + xon);
    EXPECT_EQ(pty.Receive(2 * xon.size()), xoff + xon);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PortEventsTest, AWriteLargerThanTheDriverTakesIsFinishedInTheBackground)
{
    port.SetActive(true);
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    std::atomic<bool> afterWrite {false};
    port.SetAfterWrite([&](QObject*, const char*, int length, bool wait) {
        EXPECT_EQ(length, static_cast<int>(big.size()));
        EXPECT_FALSE(wait);
        afterWrite = true;
    });
    port.WriteText(big);
    EXPECT_TRUE(afterWrite); // before the line has taken it all
    std::string received;
    std::thread reader([&] { received = pty.Receive(big.size(), 10000); });
    const bool done = WaitUntil([&] { return received.size() == big.size() || !reader.joinable(); }, 10000);
    reader.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(received, big);
    EXPECT_TRUE(errors.isEmpty());
}

// The line goes away while a write is still leaving: the next write's wait
// for it fails, and the port is then left quiet, without a notifier spinning.
TEST_F(PortEventsTest, AFailedWaitForAPendingWriteLeavesNothingSpinning)
{
    port.SetActive(true); // no line-event handler: no event thread closes the port
    port.WriteText(std::string(300000, 'w'));
    pty.CloseMaster();
    try {
        port.WriteText("x");
        ADD_FAILURE() << "no error";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode, EIO);
    }
    const double before = ProcessCpuMs();
    Pump(300);
    EXPECT_LT(ProcessCpuMs() - before, 100.0);
    EXPECT_TRUE(port.Active());
}

TEST_F(PortEventsTest, ATransferThatEndsShortIsATimeout)
{
    port.Timeouts().SetReadConstant(50);
    port.SetActive(true);
    pty.Send("ab");
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 2; }));
    char buffer[4] = {};
    try {
        port.Read(buffer, 4, true);
        FAIL() << "no timeout";
    } catch (const EComError& e) {
        EXPECT_STREQ(e.what(), "Timeout");
        EXPECT_EQ(e.ErrorCode, 0);
    }
    EXPECT_EQ(std::string(buffer, 2), "ab");
}

TEST_F(PortEventsTest, AReadLeftPendingIsFinishedByTheNextOne)
{
    port.SetActive(true);
    pty.Send("ab");
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 2; }));
    char buffer[5] = {};
    int afterRead = 0;
    port.SetAfterRead([&](QObject*, const char*, int, bool) { ++afterRead; });
    port.Read(buffer, 4, false);
    EXPECT_EQ(afterRead, 1);
    pty.Send("cd");
    port.Read(nullptr, 0, false);
    EXPECT_STREQ(buffer, "abcd");
}

TEST_F(PortEventsTest, TheEventThreadRunsOnlyWhileALineEventHandlerIsAssigned)
{
    const int tasks = CountProcEntries("task");
    port.SetActive(true);
    EXPECT_EQ(CountProcEntries("task"), tasks);
    port.SetOnRxChar([](QObject*) {});
    EXPECT_EQ(CountProcEntries("task"), tasks + 1);
    port.SetOnTxEmpty([](QObject*) {});
    EXPECT_EQ(CountProcEntries("task"), tasks + 1);
    port.SetOnRxChar(nullptr);
    port.SetOnTxEmpty(nullptr);
    EXPECT_EQ(CountProcEntries("task"), tasks);
}

TEST_F(PortEventsTest, TxEmptyFollowsAWrite)
{
    int txEmpty = 0;
    port.SetOnTxEmpty([&](QObject*) { ++txEmpty; });
    port.SetActive(true);
    Pump(50);
    EXPECT_EQ(txEmpty, 0);
    port.WriteText("hello");
    EXPECT_TRUE(WaitUntil([&] { return txEmpty == 1; }));
    Pump(50);
    EXPECT_EQ(txEmpty, 1);
}

TEST_F(PortEventsTest, BytesLeftUnreadAreReportedAgainOnlyWhenMoreArriveAndDoNotSpin)
{
    int calls = 0;
    port.SetOnRxChar([&](QObject*) { ++calls; });
    port.SetActive(true);
    pty.Send("abc");
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    const double cpu = ProcessCpuMs();
    Pump(300);
    EXPECT_LT(ProcessCpuMs() - cpu, 150.0);
    EXPECT_EQ(calls, 1);
    pty.Send("d");
    EXPECT_TRUE(WaitUntil([&] { return calls == 2; }));
    EXPECT_EQ(port.BytesWaiting(), 4);
}

TEST_F(PortEventsTest, AHandlerErrorReachesTheStandardErrorDisplayAndReceptionGoesOn)
{
    int calls = 0;
    port.SetOnRxChar([&](QObject*) {
        std::string text;
        port.ReadAvailable(text);
        if (++calls == 1)
            throw std::runtime_error("'x' is not a valid integer value");
    });
    port.SetActive(true);
    pty.Send("a");
    ASSERT_TRUE(WaitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "'x' is not a valid integer value");
    pty.Send("b");
    EXPECT_TRUE(WaitUntil([&] { return calls == 2; }));
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(PortEventsTest, ClosingWhileDataStreamsIn)
{
    const int tasks = CountProcEntries("task");
    UseReceivePath();
    port.SetActive(true);
    std::atomic<bool> stop {false};
    std::thread controller([&] {
        while (!stop) {
            pty.Send(EncodeFrame("L"));
            std::this_thread::sleep_for(1ms);
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return frames.size() >= 10; }));
    port.SetActive(false);
    const std::size_t readsAtClose = reads.size();
    Pump(100);
    stop = true;
    controller.join();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(reads.size(), readsAtClose);
    EXPECT_EQ(CountProcEntries("task"), tasks + 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PortEventsTest, TwoHundredOpenCloseCyclesLeakNoDescriptorOrThread)
{
    port.SetOnRxChar([](QObject*) {});
    port.SetActive(true);
    port.SetActive(false);
    const int fds = CountProcEntries("fd");
    const int tasks = CountProcEntries("task");
    for (int i = 0; i < 200; ++i) {
        port.SetActive(true);
        ASSERT_TRUE(port.Active());
        port.SetActive(false);
    }
    EXPECT_EQ(CountProcEntries("fd"), fds);
    EXPECT_EQ(CountProcEntries("task"), tasks);
}

TEST_F(PortEventsTest, TheDeviceGoingAwayClosesThePortAndReportsOnce)
{
    const int tasks = CountProcEntries("task");
    int onError = 0;
    int afterClose = 0;
    port.SetOnError([&](TCustomComPort*, const EComError& e, TComAction&) {
        ++onError;
        EXPECT_EQ(e.ErrorCode, EIO);
    });
    port.SetAfterClose([&](TCustomComPort*) { ++afterClose; });
    UseReceivePath();
    // Seen by the event thread alone, or met first by a read on this thread
    // while the event thread's word of it is still on its way.
    for (const bool readFirst : {false, true}) {
        SCOPED_TRACE(readFirst ? "a read meets the loss first" : "the event thread sees it");
        PtyPair line;
        port.SetDeviceName(QString::fromStdString(line.SlavePath()));
        onError = afterClose = 0;
        errors.clear();
        port.SetActive(true);
        line.CloseMaster();
        if (readFirst) {
            char byte = 0;
            RunGuarded([&] { port.Read(&byte, 1, true); });
        }
        ASSERT_TRUE(WaitUntil([&] { return !port.Active(); }));
        Pump(100);
        EXPECT_EQ(onError, 1);
        EXPECT_EQ(afterClose, 1);
        EXPECT_EQ(errors, QStringList {"Input/output error"});
    }
    EXPECT_EQ(CountProcEntries("task"), tasks);
    const double cpu = ProcessCpuMs();
    Pump(300);
    EXPECT_LT(ProcessCpuMs() - cpu, 150.0);
}

TEST_F(PortEventsTest, OnErrorCanSilenceTheDeviceGoingAway)
{
    port.SetOnError([](TCustomComPort*, const EComError&, TComAction& action) { action = caAbort; });
    UseReceivePath();
    port.SetActive(true);
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(50);
    EXPECT_TRUE(errors.isEmpty());
}

// --- Closing never deadlocks -------------------------------------------------

TEST_F(PortEventsTest, ClosingWhileTheEventThreadWaitsForAHandOver)
{
    int calls = 0;
    port.SetOnRxChar([&](QObject*) { ++calls; });
    port.SetActive(true);
    pty.Send("x");
    std::this_thread::sleep_for(100ms); // the hand-over is queued, the main thread busy
    const auto start = std::chrono::steady_clock::now();
    port.SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    Pump(50); // the stale hand-over runs now and does nothing
    EXPECT_EQ(calls, 0);
}

TEST_F(PortEventsTest, AHandlerClosingThePortFromInsideTheDispatch)
{
    const int tasks = CountProcEntries("task");
    int calls = 0;
    port.SetOnRxChar([&](QObject*) {
        ++calls;
        port.SetActive(false);
    });
    port.SetActive(true);
    pty.Send("x");
    ASSERT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(CountProcEntries("task"), tasks);
    // And it opens again.
    port.SetActive(true);
    pty.Send("y");
    EXPECT_TRUE(WaitUntil([&] { return calls == 2; }));
}

TEST_F(PortEventsTest, ClosingWhileAHandlerShowsAModalMessageBox)
{
    bool returned = false;
    port.SetOnRxChar([&](QObject*) {
        QTimer::singleShot(50, [&] { port.SetActive(false); });
        QTimer::singleShot(150, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        QMessageBox box(QMessageBox::Information, "ZELT", "Hold on");
        box.exec();
        returned = true;
    });
    port.SetActive(true);
    pty.Send("x");
    ASSERT_TRUE(WaitUntil([&] { return returned; }, 3000));
    EXPECT_FALSE(port.Active());
}

TEST_F(PortEventsTest, UnsynchronizedHandlersRunOnTheEventThreadAndCanClose)
{
    port.SetSynchronizeEvents(false);
    std::atomic<bool> onEventThread {false};
    std::atomic<int> calls {0};
    port.SetOnRxChar([&](QObject*) {
        onEventThread = QThread::currentThread() != qApp->thread();
        ++calls;
        port.SetActive(false); // handed over to the main thread
    });
    port.SetActive(true);
    pty.Send("x");
    ASSERT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(50);
    EXPECT_TRUE(onEventThread);
    EXPECT_EQ(calls, 1);
}

TEST_F(PortEventsTest, AnUnsynchronizedHandlerErrorIsShownOnTheMainThread)
{
    port.SetSynchronizeEvents(false);
    SetStandardErrorSink([this](const QString& message) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        errors.append(message);
    });
    port.SetOnRxChar([&](QObject*) {
        std::string text;
        port.ReadAvailable(text);
        throw std::runtime_error("bad record");
    });
    port.SetActive(true);
    pty.Send("x");
    ASSERT_TRUE(WaitUntil([&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "bad record");
}

TEST_F(PortEventsTest, DestroyingAnOpenPortFromItsOwnHandler)
{
    auto* owned = new tcomport2;
    owned->SetDeviceName(port.DeviceName());
    int calls = 0;
    owned->SetOnRxChar([&](QObject*) {
        ++calls;
        delete owned;
    });
    owned->SetActive(true);
    pty.Send("x");
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    Pump(50);
    port.SetActive(true); // the device is free again
    EXPECT_TRUE(port.Active());
}

} // namespace
} // namespace zelt::test
