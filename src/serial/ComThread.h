#pragma once

// The event thread of a serial port: waits for line events on the device and
// hands each batch over to the port's dispatch, synchronously on the main
// thread or directly on itself.

#include "serial/ComDevice.h"
#include "serial/ComPort.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zelt {

// Line events, one bit each (the line-event mask and the reported events).
enum LineEvent : unsigned {
    evBreak = 1u << 0,
    evCTS = 1u << 1,
    evDSR = 1u << 2,
    evError = 1u << 3,
    evEvent1 = 1u << 4,
    evEvent2 = 1u << 5,
    evPrinterError = 1u << 6,
    evRing = 1u << 7,
    evRLSD = 1u << 8,
    evRx80PercFull = 1u << 9,
    evRxChar = 1u << 10,
    evRxFlag = 1u << 11,
    evTxEmpty = 1u << 12,
};

class TComThread {
public:
    // What the thread needs of its port. The functions marked "any thread"
    // are called by the event thread while the port may be in use elsewhere.
    struct Link {
        QObject* context = nullptr; // lives on the main thread; hand-overs run there
        ComDevice* device = nullptr; // outlives the thread
        bool synchronize = true;                  // dispatch on the main thread
        std::function<unsigned()> mask;           // any thread
        std::function<int()> rxFullThreshold;     // any thread: 80 % of the input buffer
        std::function<bool()> outputStarted;      // any thread: a write finished since the last OnTxEmpty
        std::function<void()> outputReported;     // any thread: OnTxEmpty is being reported
        std::function<std::uint64_t()> bytesRead; // any thread: bytes the port has taken from the device
        // Runs the handlers of the events; stopping turns true when the thread is told to stop.
        std::function<void(unsigned events, const std::atomic<bool>& stopping)> dispatch;
        // Main thread: the wait failed with error and the thread has ended; hangUp = the device went away.
        std::function<void(int error, bool hangUp)> failed;
    };

    // Starts the thread; throws std::system_error when it cannot.
    TComThread(Link link, TThreadPriority priority);
    // Stops and joins the thread; never called on the thread itself.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Tells the thread to stop; it ends at its next step. Releases a pending
    // hand-over at once.
    void RequestStop();
    // The mask or the output state changed: the thread looks again.
    void Wake();
    bool IsCurrent() const;
    // Best effort: raising a priority needs privileges (EPERM is ignored).
    void SetPriority(TThreadPriority priority);

    // From the thread itself: runs work on the main thread and waits until it
    // has run or the thread is told to stop. Returns false when stopping.
    bool RunOnMain(std::function<void()> work);

private:
    // Shared with the hand-overs queued on the main thread, which may run
    // after the thread object is gone.
    struct Control {
        std::mutex mutex;
        std::condition_variable cv;
        std::atomic<bool> stopping {false};
        std::uint64_t queued = 0;
        std::uint64_t done = 0;
    };

    void Execute();
    void Fail(int error, bool hangUp);

    Link link_;
    std::shared_ptr<Control> control_ = std::make_shared<Control>();
    int wakeFd_ = -1;
    std::atomic<int> tid_ {0};
    std::atomic<int> nice_;
    std::thread thread_;
};

} // namespace zelt
