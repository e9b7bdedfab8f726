#include "sim/TcpListener.h"

#include "ui/StandardError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt::sim {

TcpListener::TcpListener(int port, const Scenario& scenario, FakeController::LogSink log, QObject* parent)
    : QObject(parent), scenario_(scenario), log_(std::move(log))
{
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 4) != 0) {
        const std::string error = std::strerror(errno);
        if (listenFd_ >= 0)
            close(listenFd_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + error);
    }
    notifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { RunGuarded([this] { acceptClient(); }); });
}

TcpListener::~TcpListener()
{
    dropClient();
    notifier_.reset();
    close(listenFd_);
}

void TcpListener::acceptClient()
{
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (controller_) {
        close(fd);
        if (log_)
            log_("!! client refused: another one is served");
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    clientFd_ = fd;
    controller_ = std::make_unique<FakeController>(fd, scenario_);
    controller_->setLogSink(log_);
    // Dropped from the event loop: the controller is inside its own handler.
    connect(controller_.get(), &FakeController::lineClosed, this, [this] {
        QMetaObject::invokeMethod(this, [this] { RunGuarded([this] { dropClient(); }); }, Qt::QueuedConnection);
    });
    if (log_)
        log_("-- client connected");
    controller_->startPushing();
}

void TcpListener::dropClient()
{
    if (!controller_)
        return;
    controller_.reset();
    close(clientFd_);
    clientFd_ = -1;
    if (log_)
        log_("-- client gone");
}

} // namespace zelt::sim
