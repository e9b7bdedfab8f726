#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace zelt::test {

// Runs the event loop until cond() holds or timeoutMs passes; returns cond().
// A 5 ms ticker keeps the wait from sleeping past the deadline without spinning.
// The default bound only matters when a test fails; it is generous so that a
// loaded machine does not fail a test that would pass.
inline bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    ticker.start(5);
    while (!cond()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for ms milliseconds.
inline void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    WaitUntil([&] { return clock.elapsed() >= ms; }, ms + 1000);
}

} // namespace zelt::test
