#pragma once

// Ends the application's event loop on SIGINT, SIGTERM or SIGHUP, so that
// everything set up in main (the port alias above all) is taken down by the
// normal way out. The handler only writes a byte into a pipe; the event loop
// reads it.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace zelt::sim {

class SignalQuit : public QObject {
    Q_OBJECT

public:
    SignalQuit(); // throws std::runtime_error
    ~SignalQuit() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace zelt::sim
