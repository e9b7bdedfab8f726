#include "serial/SocketDevice.h"

#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt {

namespace {

constexpr std::size_t kChunk = 4096;

} // namespace

SocketDevice::SocketDevice(int fd, std::unique_ptr<TelnetCodec> telnet, std::string payload)
    : fd_(fd), telnet_(std::move(telnet)), payload_(std::move(payload))
{
}

SocketDevice::~SocketDevice()
{
    close(fd_);
}

void SocketDevice::Pull(std::size_t limit)
{
    char chunk[kChunk];
    while (lost_ == 0 && limit > 0) {
        const ssize_t n = recv(fd_, chunk, std::min(limit, sizeof chunk), MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            // A close by the far end ends the line as a reset does.
            lost_ = n == 0 ? ECONNRESET : errno;
            return;
        }
        limit -= static_cast<std::size_t>(n);
        if (!telnet_) {
            payload_.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        std::string replies;
        telnet_->Decode(std::string_view(chunk, static_cast<std::size_t>(n)), payload_, replies);
        unsent_ += replies;
        Flush();
    }
}

bool SocketDevice::Flush()
{
    while (!unsent_.empty()) {
        const ssize_t n = send(fd_, unsent_.data(), unsent_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // the error, if any, shows at the next wait
        unsent_.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

int SocketDevice::InputCount(int& count)
{
    std::lock_guard lock(mutex_);
    Pull(SIZE_MAX);
    count = static_cast<int>(payload_.size());
    return 0;
}

int SocketDevice::OutputCount(int& count)
{
    std::lock_guard lock(mutex_);
    count = 0;
    if (ioctl(fd_, TIOCOUTQ, &count) != 0)
        return errno;
    count += static_cast<int>(unsent_.size());
    return 0;
}

// Pulls no more than the read needs, so no payload is left behind unseen
// by the event thread, which watches the socket.
int SocketDevice::ReadSome(char* buffer, int length, int& done)
{
    std::lock_guard lock(mutex_);
    const auto wanted = static_cast<std::size_t>(length);
    if (payload_.size() < wanted)
        Pull(wanted - payload_.size());
    const std::size_t n = std::min(wanted, payload_.size());
    payload_.copy(buffer, n);
    payload_.erase(0, n);
    done = static_cast<int>(n);
    return 0;
}

// The payload goes out escaped in one send where the socket takes it; done
// counts the payload bytes whose wire bytes are sent or kept in unsent_.
int SocketDevice::WriteSome(const char* buffer, int length, int& done)
{
    std::lock_guard lock(mutex_);
    done = 0;
    if (lost_ != 0)
        return lost_;
    if (!Flush())
        return 0;
    const std::string_view bytes(buffer, static_cast<std::size_t>(length));
    const std::string wire = telnet_ ? TelnetCodec::Escape(bytes) : std::string(bytes);
    ssize_t sent = 0;
    do
        sent = send(fd_, wire.data(), wire.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
    std::size_t wirePos = 0;
    for (const char c : bytes) {
        const std::size_t end = wirePos + static_cast<std::size_t>(telnet_ ? TelnetCodec::WireLength(c) : 1);
        if (end > static_cast<std::size_t>(sent)) {
            if (wirePos < static_cast<std::size_t>(sent)) { // half of a doubled IAC went out
                unsent_ += c;
                ++done;
            }
            break;
        }
        wirePos = end;
        ++done;
    }
    return 0;
}

int SocketDevice::WaitReady(short events, int timeoutMs, bool& ready)
{
    ready = false;
    {
        std::lock_guard lock(mutex_);
        if (lost_ != 0)
            return lost_;
        if ((events & POLLIN) != 0 && !payload_.empty()) {
            ready = true;
            return 0;
        }
    }
    pollfd entry {fd_, static_cast<short>(events | POLLRDHUP), 0};
    int count = 0;
    if (const int error = comdev::PollOnce(entry, timeoutMs, count))
        return error;
    if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL | POLLRDHUP)) != 0)
        return LostError();
    ready = count > 0;
    return 0;
}

int SocketDevice::PurgeInput()
{
    std::lock_guard lock(mutex_);
    Pull(SIZE_MAX);
    payload_.clear();
    return 0;
}

int SocketDevice::GetSettings(termios& settings)
{
    std::lock_guard lock(mutex_);
    settings = settings_;
    return 0;
}

int SocketDevice::SetSettings(const termios& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
    return 0;
}

// A socket has no modem lines and no line counters, as a pseudo-terminal.
int SocketDevice::GetModemLines(int& lines)
{
    lines = 0;
    return ENOTTY;
}

int SocketDevice::SetModemLine(int, bool)
{
    return ENOTTY;
}

int SocketDevice::GetLineCounters(comdev::LineCounters&)
{
    return ENOTTY;
}

int SocketDevice::LostError()
{
    std::lock_guard lock(mutex_);
    if (lost_ == 0) {
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        lost_ = error != 0 ? error : ECONNRESET;
    }
    return lost_;
}

} // namespace zelt
