#pragma once

// Serves the simulated controller on a raw TCP socket of the loopback
// interface, one client at a time: a client that comes while another is
// served is closed at once.

#include "sim/FakeController.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace zelt::sim {

class TcpListener : public QObject {
    Q_OBJECT
public:
    // Listens on 127.0.0.1:port; throws std::runtime_error when it cannot.
    TcpListener(int port, const Scenario& scenario, FakeController::LogSink log, QObject* parent = nullptr);
    ~TcpListener() override;

    // The controller of the current client, or null.
    FakeController* controller() const { return controller_.get(); }

private:
    void acceptClient();
    void dropClient();

    Scenario scenario_;
    FakeController::LogSink log_;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    int clientFd_ = -1;
    std::unique_ptr<FakeController> controller_;
};

} // namespace zelt::sim
