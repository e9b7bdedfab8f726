#include "serial/SocketDevice.h"

#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kChunk = 4096;
// What a server says and closes within this time is shown in the error.
constexpr auto kWordsTime = 1s;

int MillisecondsUntil(SocketDevice::Clock::time_point when, SocketDevice::Clock::time_point now)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

void ServerWords::Add(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c > ' ' && c <= '~') {
            if (words_.size() < kMax)
                words_ += c;
        } else if (c == ' ' || (c >= '\t' && c <= '\r')) {
            if (!words_.empty() && words_.back() != ' ' && words_.size() < kMax)
                words_ += ' ';
        } else {
            data_ = true;
        }
    }
}

std::string ServerWords::Text() const
{
    if (data_ || words_.empty())
        return {};
    const std::size_t end = words_.back() == ' ' ? words_.size() - 1 : words_.size();
    return words_.substr(0, end);
}

SocketDevice::SocketDevice(int fd, std::unique_ptr<TelnetCodec> telnet, const Timing& timing)
    : fd_(fd), telnet_(std::move(telnet)), timing_(timing), lastSent_(Clock::now()), lastByte_(lastSent_),
      secondStart_(lastSent_)
{
}

SocketDevice::~SocketDevice()
{
    close(fd_);
}

bool SocketDevice::PullChunk(std::size_t limit)
{
    if (lost_ != 0 || limit == 0)
        return false;
    char chunk[kChunk];
    ssize_t n = 0;
    do
        n = recv(fd_, chunk, std::min(limit, sizeof chunk), MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return false;
    if (n <= 0) {
        // A close by the far end ends the line as a reset does.
        Closed(n == 0 ? ECONNRESET : errno);
        return false;
    }
    const auto now = Clock::now();
    const std::size_t before = payload_.size();
    if (telnet_) {
        std::string replies;
        telnet_->Decode(std::string_view(chunk, static_cast<std::size_t>(n)), payload_, replies);
        unsent_ += replies;
        Flush();
        if (!telnet_->Failure().empty())
            EndLine(telnet_->Failure());
    } else {
        payload_.append(chunk, static_cast<std::size_t>(n));
    }
    if (now - timing_.connectedAt < kWordsTime)
        words_.Add(std::string_view(payload_).substr(before));
    lastByte_ = now;
    CountArrival(static_cast<std::size_t>(n), now);
    return true;
}

void SocketDevice::PullUpTo(std::size_t wanted)
{
    for (;;) {
        std::lock_guard lock(mutex_);
        if (payload_.size() >= wanted || !PullChunk(wanted - payload_.size()))
            return;
    }
}

void SocketDevice::CountArrival(std::size_t bytes, Clock::time_point now)
{
    constexpr std::size_t limit = kLineBytesPerSecond * kFloodFactor;
    if (now - secondStart_ >= 1s) {
        // A second without arrivals between breaks the run.
        const bool fast = secondBytes_ > limit && now - secondStart_ < 2s;
        fastSeconds_ = fast ? fastSeconds_ + 1 : 0;
        secondStart_ = now;
        secondBytes_ = 0;
    }
    secondBytes_ += bytes;
    if (secondBytes_ > limit && fastSeconds_ >= kFloodSeconds - 1)
        EndLine("The terminal server sends faster than a 57600 bit/s line: wrong port?");
}

void SocketDevice::EndLine(const std::string& reason)
{
    if (lost_ != 0)
        return;
    lost_ = ECONNABORTED;
    reason_ = reason;
    shutdown(fd_, SHUT_RDWR);
}

void SocketDevice::Closed(int error)
{
    if (lost_ != 0)
        return;
    lost_ = error;
    if (const std::string words = words_.Text();
        !words.empty() && Clock::now() - timing_.connectedAt < kWordsTime)
        reason_ = "The terminal server closed the line: " + words;
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
        lastSent_ = Clock::now();
    }
    return true;
}

int SocketDevice::InputCount(int& count)
{
    PullUpTo(kBufferLimit);
    std::lock_guard lock(mutex_);
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
    const auto wanted = std::min(static_cast<std::size_t>(length), kBufferLimit);
    PullUpTo(wanted);
    std::lock_guard lock(mutex_);
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
    if (sent > 0)
        lastSent_ = Clock::now();
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

// What the socket holds is taken (the Telnet side answered) and dropped,
// a bounded amount at a time.
int SocketDevice::PurgeInput()
{
    PullUpTo(kBufferLimit);
    std::lock_guard lock(mutex_);
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

// A server that closes at once may have said why: what it sent is taken
// first, so that its words reach the error.
int SocketDevice::LostError()
{
    for (std::size_t taken = 0; taken < kBufferLimit; taken += kChunk) {
        std::lock_guard lock(mutex_);
        if (lost_ != 0 || Clock::now() - timing_.connectedAt >= kWordsTime || !PullChunk(kChunk))
            break;
    }
    std::lock_guard lock(mutex_);
    if (lost_ == 0) {
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        Closed(error != 0 ? error : ECONNRESET);
    }
    return lost_;
}

std::string SocketDevice::LostReason()
{
    std::lock_guard lock(mutex_);
    return reason_;
}

// An idle Telnet line gets a NOP, so that a dead path shows as data left
// unacknowledged; on a raw line, where every byte reaches the controller,
// silence itself ends the line.
int SocketDevice::Service(int& nextMs)
{
    std::lock_guard lock(mutex_);
    nextMs = -1;
    if (lost_ != 0)
        return lost_;
    const auto now = Clock::now();
    if (telnet_) {
        if (now - lastSent_ >= timing_.nopInterval) {
            unsent_ += TelnetCodec::Nop();
            lastSent_ = now;
            Flush();
        }
        nextMs = MillisecondsUntil(lastSent_ + timing_.nopInterval, now);
    } else if (timing_.silenceLimit.count() > 0) {
        // Bytes waiting unread are no silence.
        int queued = 0;
        if (!payload_.empty() || (ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0))
            lastByte_ = now;
        if (now - lastByte_ >= timing_.silenceLimit) {
            EndLine("The terminal server sent nothing for " +
                    std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timing_.silenceLimit).count()) +
                    " s");
            return lost_;
        }
        nextMs = MillisecondsUntil(lastByte_ + timing_.silenceLimit, now);
    }
    return 0;
}

} // namespace zelt
