#pragma once

// A pseudo-terminal pair for serial tests: the code under test opens the slave
// by its path, the test plays the other end of the line on the master.

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace zelt::test {

class PtyPair {
public:
    PtyPair()
    {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        slavePath_ = name;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair()
    {
        CloseMaster();
        CloseSlave();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int Master() const { return master_; }
    // The test's own descriptor of the slave: keeps the tty alive between
    // opens and lets the test read its settings.
    int Slave() const { return slave_; }

    termios SlaveSettings() const
    {
        termios t {};
        tcgetattr(slave_, &t);
        return t;
    }
    void SetSlaveSettings(const termios& t) const { tcsetattr(slave_, TCSANOW, &t); }

    // Sends bytes to the slave's reader, as the controller would.
    void Send(const std::string& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p {master_, POLLOUT, 0};
                poll(&p, 1, 100);
            } else if (n < 0 && errno != EINTR) {
                throw std::runtime_error("pty master write failed");
            }
        }
    }

    // Reads what the slave side wrote until count bytes have arrived or
    // timeoutMs has passed.
    std::string Receive(std::size_t count, int timeoutMs = 10000) const
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p {master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    // The controller side goes away (as a USB adapter being pulled).
    void CloseMaster()
    {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }
    void CloseSlave()
    {
        if (slave_ >= 0)
            close(slave_);
        slave_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace zelt::test
