#pragma once

// Starts a battery discharge test on SIGUSR1. The handler only writes a byte
// into a pipe; the event loop reads it and calls start.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace zelt::sim {

class SignalDischarge : public QObject {
public:
    explicit SignalDischarge(std::function<void()> start); // throws std::runtime_error
    ~SignalDischarge() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace zelt::sim
