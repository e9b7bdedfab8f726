#pragma once

// A listening TCP socket on 127.0.0.1 with an ephemeral port, for tests
// that play a terminal server, and blocking helpers for the accepted side.

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt::test {

class Listener {
public:
    explicit Listener(int backlog = 4)
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, backlog) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            throw std::runtime_error("cannot listen on the loopback");
        port_ = ntohs(a.sin_port);
    }
    ~Listener() { close(fd_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // The next client's socket, or -1 after timeoutMs.
    int Accept(int timeoutMs = 2000) const
    {
        pollfd p {fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) != 1)
            return -1;
        return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

inline sockaddr_in LoopbackAddress(int port)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A socket connecting to port on the loopback (flags: SOCK_NONBLOCK).
inline int ConnectLoopback(int port, int flags = 0)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    const sockaddr_in a = LoopbackAddress(port);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return fd;
}

// A listener that answers no connect: its accept queue is full, so the
// kernel drops further handshakes, as an unreachable host does.
struct DeafListener : Listener {
    DeafListener() : Listener(0), fillers {ConnectLoopback(Port(), SOCK_NONBLOCK), ConnectLoopback(Port(), SOCK_NONBLOCK)}
    {
        usleep(50000);
    }
    ~DeafListener()
    {
        for (const int f : fillers)
            close(f);
    }
    int fillers[2];
};

// A loopback port nobody listens on just now, for a server the test starts.
inline int FreePort()
{
    Listener probe;
    return probe.Port();
}

// Reads from fd until want bytes have come or timeoutMs passes.
inline std::string ReceiveBytes(int fd, std::size_t want, int timeoutMs = 2000)
{
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd p {fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1)
            break;
        char chunk[4096];
        const ssize_t n = recv(fd, chunk, std::min(sizeof chunk, want - got.size()), 0);
        if (n <= 0)
            break;
        got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
}

inline void SendBytes(int fd, const std::string& bytes)
{
    if (send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("send failed");
}

// A terminal server's COM port subnegotiation answering command code.
inline std::string Rfc2217Answer(char code, const std::string& value)
{
    return "\xff\xfa\x2c" + std::string(1, code) + value + "\xff\xf0";
}

// A terminal server's half of an RFC 2217 handshake that agrees to all:
// binary both ways, the COM port option, and each line setting confirmed.
inline std::string Rfc2217Agreement()
{
    return std::string("\xff\xfd\0\xff\xfb\0\xff\xfd\x2c", 9) + Rfc2217Answer('\x65', std::string("\0\0\xe1\0", 4)) +
           Rfc2217Answer('\x66', "\x08") + Rfc2217Answer('\x67', "\x01") + Rfc2217Answer('\x68', "\x01") +
           Rfc2217Answer('\x69', "\x01");
}

} // namespace zelt::test
