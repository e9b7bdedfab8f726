#include "sim/SignalAction.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace zelt::sim {

namespace {

// The write end of the pipe each handled signal reports to.
volatile sig_atomic_t writeEnds[NSIG];

void OnSignal(int sig)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(writeEnds[sig], &byte, 1);
    errno = saved;
}

} // namespace

SignalAction::SignalAction(std::initializer_list<int> caught, std::function<void()> action) : caught_(caught)
{
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot create the signal pipe: ") + std::strerror(errno));
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this, action = std::move(action)] {
        char byte = 0;
        while (read(pipe_[0], &byte, 1) > 0) {
        }
        action();
    });
    struct sigaction handler {};
    handler.sa_handler = OnSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    for (const int sig : caught_) {
        writeEnds[sig] = pipe_[1];
        sigaction(sig, &handler, nullptr);
    }
}

SignalAction::~SignalAction()
{
    for (const int sig : caught_)
        std::signal(sig, SIG_DFL);
    notifier_.reset();
    close(pipe_[0]);
    close(pipe_[1]);
}

} // namespace zelt::sim
