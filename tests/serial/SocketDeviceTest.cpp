#include "serial/SocketDevice.h"

#include "common/Loopback.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zelt {
namespace {

using namespace std::chrono_literals;

// A device on one end of a loopback TCP connection; the test plays the far end.
struct Pair {
    explicit Pair(bool telnet, SocketTiming timing = {})
    {
        const test::Listener listener;
        const int fd = test::ConnectLoopback(listener.Port());
        peer = listener.Accept();
        fcntl(fd, F_SETFL, O_NONBLOCK);
        fcntl(peer, F_SETFL, O_NONBLOCK);
        auto codec = telnet ? std::make_unique<TelnetCodec>() : nullptr;
        if (codec)
            codec->Start();
        device = std::make_unique<SocketDevice>(fd, std::move(codec), timing);
    }
    ~Pair() { close(peer); }
    std::string Received() const { return test::ReceiveBytes(peer, 100, 100); }
    // Sends and waits until the bytes (events POLLIN) or the end (POLLRDHUP) reach the device.
    void Send(const std::string& bytes, short events = POLLIN) const
    {
        test::SendBytes(peer, bytes);
        if (events == POLLRDHUP)
            shutdown(peer, SHUT_WR);
        pollfd p {device->Handle(), events, 0};
        poll(&p, 1, 2000);
    }

    std::unique_ptr<SocketDevice> device;
    int peer = -1;
};

// A write larger than the socket takes goes out in parts; a part may end
// between the two bytes of a doubled IAC. The far end still gets every
// payload byte once, escaped, in order.
TEST(SocketDeviceTest, PartialWritesKeepEscapedIacWhole)
{
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair), 0);
    SocketDevice device(pair[0], std::make_unique<TelnetCodec>(), {});
    std::string payload;
    for (int i = 0; i < 200000; ++i)
        payload += i % 3 == 0 ? 'a' : '\xff';
    const std::string expected = TelnetCodec::Escape(payload);
    std::string wire;
    int written = 0;
    for (int round = 0; round < 10000 && wire.size() < expected.size(); ++round) {
        int done = 0;
        ASSERT_EQ(device.WriteSome(payload.data() + written, static_cast<int>(payload.size()) - written, done), 0);
        written += done;
        char chunk[7001]; // odd, so that the far end's reads split pairs too
        for (ssize_t n; (n = read(pair[1], chunk, sizeof chunk)) > 0;)
            wire.append(chunk, static_cast<std::size_t>(n));
    }
    int done = 0; // nothing is left to follow
    ASSERT_EQ(device.WriteSome("", 0, done), 0);
    for (char chunk[4096]; read(pair[1], chunk, sizeof chunk) > 0;)
        wire += "?";
    EXPECT_EQ(written, static_cast<int>(payload.size()));
    EXPECT_TRUE(wire == expected);
    close(pair[1]);
}

// Output the socket does not take waits, a NOP behind it; a read takes no
// more than it asks, input waiting in the device counts as readable, and a
// purge empties the socket too.
TEST(SocketDeviceTest, AFullSocketHoldsOutputAndPurgeEmptiesInput)
{
    Pair pair(true, SocketTiming {SocketTiming().connectedAt, 100ms, 0ms});
    const std::string block(65536, 'b');
    int done = 1, next = 0;
    bool ready = true;
    while (done > 0)
        pair.device->WriteSome(block.data(), static_cast<int>(block.size()), done);
    EXPECT_EQ(pair.device->WaitReady(POLLOUT, 0, ready), 0);
    EXPECT_FALSE(ready);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(pair.device->Service(next), 0);
    std::string wire;
    for (std::string got; !(got = test::ReceiveBytes(pair.peer, 1 << 20, 300)).empty();)
        wire += got;
    EXPECT_EQ(pair.device->WaitReady(POLLOUT, 1000, ready), 0);
    EXPECT_TRUE(ready);
    pair.device->Service(next);
    wire += test::ReceiveBytes(pair.peer, 2, 1000);
    EXPECT_NE(wire.find("\xff\xf1"), std::string::npos);
    EXPECT_EQ(wire.find_first_not_of('b'), wire.find("\xff\xf1")); // the NOP after the data, never inside
    pair.Send("abc");
    char first = 0;
    EXPECT_EQ(pair.device->ReadSome(&first, 1, done), 0);
    int count = 0;
    pair.device->InputCount(count);
    EXPECT_EQ(pair.device->WaitReady(POLLIN, 0, ready), 0);
    EXPECT_TRUE(first == 'a' && done == 1 && count == 2 && ready);
    pair.Send("def");
    pair.device->PurgeInput();
    pair.device->InputCount(count);
    EXPECT_EQ(count, 0);
}

// An idle Telnet line gets IAC NOP after the interval, not before, and
// anything sent restarts it; a NOP to a server that has reset the line
// fails and the loss shows at the next wait, a reset met by a read is the
// error of the next write. A raw line gets nothing, and ends after the
// silence limit unless bytes wait unread.
TEST(SocketDeviceTest, AnIdleLineIsKeptOrEnded)
{
    const SocketTiming timing {SocketTiming().connectedAt, 400ms, 1000ms};
    Pair telnet(true, timing), reset(true, timing), readReset(false, timing), silent(false, timing),
        unread(false, timing);
    for (Pair* p : {&reset, &readReset}) {
        const linger abort {1, 0};
        setsockopt(p->peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        close(p->peer);
        p->peer = -1;
    }
    int next = 0;
    EXPECT_EQ(telnet.device->Service(next), 0);
    EXPECT_TRUE(next > 0 && next <= 400) << next;
    EXPECT_EQ(silent.device->Service(next), 0);
    EXPECT_TRUE(next > 400 && next <= 1000) << next;
    unread.Send("R");
    int done = 0;
    std::this_thread::sleep_for(300ms);
    telnet.device->WriteSome("", 0, done); // sends nothing, so puts nothing off
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(telnet.device->Service(next), 0);
    EXPECT_EQ(telnet.Received(), "\xff\xf1");
    EXPECT_EQ(reset.device->Service(next), 0);
    bool ready = true;
    EXPECT_EQ(reset.device->WaitReady(POLLIN, 1000, ready), ECONNRESET);
    int count = 0;
    readReset.device->InputCount(count);
    EXPECT_EQ(readReset.device->WriteSome("x", 1, done), ECONNRESET);
    std::this_thread::sleep_for(200ms);
    const auto wrote = std::chrono::steady_clock::now();
    telnet.device->WriteSome("x", 1, done);
    std::this_thread::sleep_for(300ms); // 500 ms since the NOP, 300 since the write
    EXPECT_EQ(telnet.device->Service(next), 0);
    // A machine too busy to wake within the interval owes the NOP by now.
    const bool onTime = std::chrono::steady_clock::now() - wrote < 400ms;
    const std::string got = telnet.Received();
    EXPECT_EQ(onTime ? got : got.substr(0, 1), "x");
    EXPECT_EQ(silent.device->Service(next), ECONNABORTED);
    EXPECT_EQ(silent.device->LostReason(), "The terminal server sent nothing for 1 s");
    EXPECT_EQ(silent.device->WriteSome("x", 1, done), ECONNABORTED);
    EXPECT_EQ(silent.Received(), "");
    EXPECT_EQ(unread.device->Service(next), 0);
}

// Turning off binary transmission once the line is up ends it.
TEST(SocketDeviceTest, ATelnetOptionTurnedOffEndsTheLine)
{
    Pair pair(true);
    pair.Send(test::Rfc2217Agreement() + "ab");
    int count = 0, next = 0;
    pair.device->InputCount(count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(pair.device->Service(next), 0);
    pair.Send(std::string("\xff\xfe\0", 3));
    pair.device->InputCount(count);
    EXPECT_EQ(pair.device->Service(next), ECONNABORTED);
    EXPECT_EQ(pair.device->LostReason(), "The terminal server turned off binary transmission");
}

// What a server says in plain text and closes within its first second is
// the reason; data, or a close later, is not.
TEST(SocketDeviceTest, WordsBeforeAnEarlyCloseAreTheReason)
{
    const struct {
        bool telnet;
        std::chrono::milliseconds age;
        std::string said;
        std::string reason;
    } cases[] = {{false, 0ms, "\r\nPort  already\tin use\r\n", "The terminal server closed the line: Port already in use"},
                 {true, 0ms, std::string(150, 'w') + " " + std::string(60, 'v'),
                  "The terminal server closed the line: " + std::string(150, 'w') + " " + std::string(49, 'v')},
                 {false, 1100ms, "Port in use", ""}, {false, 0ms, "Port in use\x7f", ""},
                 {false, 0ms, "Port in use\x80", ""}, {false, 0ms, "Port\x1b[1m", ""}, {false, 0ms, "~\x0b\x0c", "The terminal server closed the line: ~"}};
    for (const auto& c : cases) {
        SocketTiming timing;
        timing.connectedAt -= c.age;
        Pair pair(c.telnet, timing);
        pair.Send(c.said, POLLRDHUP);
        errno = EINTR; // as an interrupted poll leaves it
        EXPECT_EQ(pair.device->LostError(), ECONNRESET);
        EXPECT_EQ(pair.device->LostReason(), c.reason) << c.said;
    }
}

} // namespace
} // namespace zelt
