#pragma once

// Runs an action on the event loop when one of some signals arrives: the
// simulator quits on SIGINT, SIGTERM or SIGHUP (so that everything set up in
// main, the port alias above all, is taken down the normal way out) and
// starts a discharge test on SIGUSR1. The handler only writes a byte into the
// instance's pipe; the event loop reads it and runs the action.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace zelt::sim {

class SignalAction : public QObject {
public:
    // Throws std::runtime_error. A signal belongs to one instance at a time.
    SignalAction(std::initializer_list<int> caught, std::function<void()> action);
    ~SignalAction() override;

private:
    std::vector<int> caught_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace zelt::sim
