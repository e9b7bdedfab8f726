#include "sim/SignalDischarge.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace zelt::sim {

namespace {

int startPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(startPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

SignalDischarge::SignalDischarge(std::function<void()> start)
{
    if (pipe2(startPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot create the signal pipe: ") + std::strerror(errno));
    notifier_ = std::make_unique<QSocketNotifier>(startPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [start = std::move(start)] {
        char byte = 0;
        while (read(startPipe[0], &byte, 1) > 0) {
        }
        start();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
}

SignalDischarge::~SignalDischarge()
{
    std::signal(SIGUSR1, SIG_DFL);
    notifier_.reset();
    close(startPipe[0]);
    close(startPipe[1]);
    startPipe[0] = startPipe[1] = -1;
}

} // namespace zelt::sim
