#include "serial/SocketDevice.h"

#include "common/Loopback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
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
        int fds[2] = {socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), -1};
        const sockaddr_in a = test::DeafListener::LoopbackAddress(listener.Port());
        if (::connect(fds[0], reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || (fds[1] = listener.Accept()) < 0)
            throw std::runtime_error("no loopback connection");
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        fcntl(fds[1], F_SETFL, O_NONBLOCK);
        std::unique_ptr<TelnetCodec> codec;
        if (telnet) {
            codec = std::make_unique<TelnetCodec>();
            codec->Start();
        }
        device = std::make_unique<SocketDevice>(fds[0], std::move(codec), timing);
        peer = fds[1];
    }
    ~Pair() { close(peer); }
    std::string Received()
    {
        std::string got;
        char chunk[4096];
        for (ssize_t n; (n = recv(peer, chunk, sizeof chunk, MSG_DONTWAIT)) > 0;)
            got.append(chunk, static_cast<std::size_t>(n));
        return got;
    }
    // Sends and waits until the bytes can be read at the device's end.
    void Send(const std::string& bytes) const
    {
        ASSERT_EQ(send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
        WaitFor(POLLIN);
    }
    void WaitFor(short events) const
    {
        pollfd p {device->Handle(), events, 0};
        ASSERT_EQ(poll(&p, 1, 2000), 1);
    }

    std::unique_ptr<SocketDevice> device;
    int peer = -1;
};

// A write larger than the socket takes goes out in parts; a part may end
// between the two bytes of a doubled IAC. The far end still gets every
// payload byte once, escaped, in order.
TEST(SocketDeviceTest, PartialWritesKeepEscapedIacWhole)
{
    Pair pair(true);
    pair.Received();
    std::string payload;
    for (int i = 0; i < 200000; ++i)
        payload += i % 3 == 0 ? 'a' : '\xff';
    const std::string expected = TelnetCodec::Escape(payload);
    std::string wire;
    int written = 0;
    for (int round = 0; round < 10000 && wire.size() < expected.size(); ++round) {
        int done = 0;
        ASSERT_EQ(pair.device->WriteSome(payload.data() + written, static_cast<int>(payload.size()) - written, done), 0);
        written += done;
        char chunk[7001]; // odd, so that the far end's reads split pairs too
        for (ssize_t n; (n = read(pair.peer, chunk, sizeof chunk)) > 0;)
            wire.append(chunk, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(written, static_cast<int>(payload.size()));
    EXPECT_TRUE(wire == expected);
}

// The socket holds far more than the device takes: the reader sees the
// buffer full, no more, and each read makes room for as much again.
TEST(SocketDeviceTest, InputIsBoundedAndRefilledAsItIsRead)
{
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "telnet" : "raw");
        Pair pair(telnet);
        const std::string block(16384, 'x');
        std::size_t sent = 0;
        for (ssize_t n; sent < 4 * SocketDevice::kBufferLimit &&
                        (n = send(pair.peer, block.data(), block.size(), MSG_DONTWAIT)) > 0;)
            sent += static_cast<std::size_t>(n);
        ASSERT_GE(sent, 3 * SocketDevice::kBufferLimit);
        int count = 0;
        ASSERT_EQ(pair.device->InputCount(count), 0);
        EXPECT_EQ(count, static_cast<int>(SocketDevice::kBufferLimit));
        std::string read(100000, '\0');
        int done = 0;
        ASSERT_EQ(pair.device->ReadSome(read.data(), static_cast<int>(read.size()), done), 0);
        EXPECT_EQ(done, static_cast<int>(SocketDevice::kBufferLimit));
        ASSERT_EQ(pair.device->InputCount(count), 0);
        EXPECT_EQ(count, static_cast<int>(SocketDevice::kBufferLimit));
    }
}

// A Telnet line gets IAC NOP after the interval without sending, and not
// before; anything sent restarts the interval. A raw line gets nothing.
TEST(SocketDeviceTest, AnIdleTelnetLineGetsANop)
{
    SocketTiming timing;
    timing.nopInterval = 400ms;
    timing.silenceLimit = 0ms;
    Pair telnet(true, timing), raw(false, timing);
    int next = 0;
    ASSERT_EQ(telnet.device->Service(next), 0);
    EXPECT_GT(next, 0);
    EXPECT_LE(next, 400);
    ASSERT_EQ(raw.device->Service(next), 0);
    EXPECT_EQ(next, -1);
    std::this_thread::sleep_for(450ms);
    ASSERT_EQ(telnet.device->Service(next), 0);
    ASSERT_EQ(raw.device->Service(next), 0);
    EXPECT_EQ(telnet.Received(), "\xff\xf1");
    EXPECT_EQ(raw.Received(), "");

    std::this_thread::sleep_for(250ms);
    int done = 0;
    ASSERT_EQ(telnet.device->WriteSome("x", 1, done), 0);
    std::this_thread::sleep_for(250ms); // 500 ms since the NOP, 250 since the write
    ASSERT_EQ(telnet.device->Service(next), 0);
    EXPECT_GT(next, 0);
    EXPECT_EQ(telnet.Received(), "x");
}

// A raw line that brings no byte for the limit ends with one error naming
// the silence; bytes waiting unread are no silence.
TEST(SocketDeviceTest, ASilentRawLineEnds)
{
    SocketTiming timing;
    timing.silenceLimit = 1000ms;
    Pair silent(false, timing), unread(false, timing), telnet(true, timing);
    int next = 0;
    ASSERT_EQ(silent.device->Service(next), 0);
    EXPECT_GT(next, 0);
    EXPECT_LE(next, 1000);
    unread.Send("R");
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(silent.device->Service(next), ECONNABORTED);
    EXPECT_EQ(silent.device->LostReason(), "The terminal server sent nothing for 1 s");
    EXPECT_EQ(unread.device->Service(next), 0);
    EXPECT_EQ(telnet.device->Service(next), 0);
    int done = 0;
    EXPECT_EQ(silent.device->WriteSome("x", 1, done), ECONNABORTED);
    EXPECT_EQ(silent.Received(), "");
}

// A peer that keeps sending far faster than the serial line behind it can
// is cut after some seconds, however fast the reader takes the bytes.
TEST(SocketDeviceTest, AFloodIsCut)
{
    Pair pair(false);
    std::atomic<bool> stop {false};
    std::thread flood([&] {
        const std::string block(8192, 'f');
        while (!stop) {
            pollfd p {pair.peer, POLLOUT, 0};
            if (poll(&p, 1, 100) == 1 && send(pair.peer, block.data(), block.size(), MSG_NOSIGNAL) < 0 &&
                errno != EAGAIN)
                break;
        }
    });
    const auto start = std::chrono::steady_clock::now();
    std::string buffer(SocketDevice::kBufferLimit, '\0');
    int next = 0;
    while (pair.device->Service(next) == 0 && std::chrono::steady_clock::now() - start < 20s) {
        int count = 0, done = 0;
        pair.device->InputCount(count);
        pair.device->ReadSome(buffer.data(), count, done);
    }
    stop = true;
    flood.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4s);
    EXPECT_EQ(pair.device->LostReason(), "The terminal server sends faster than a 57600 bit/s line: wrong port?");
}

// Turning off binary transmission once the line is up ends it.
TEST(SocketDeviceTest, ATelnetOptionTurnedOffEndsTheLine)
{
    Pair pair(true);
    const std::string ff("\xff", 1);
    auto answer = [&](char code, const std::string& v) { return ff + "\xfa\x2c" + code + v + ff + "\xf0"; };
    pair.Send(ff + "\xfd" + '\0' + ff + "\xfb" + '\0' + ff + "\xfd\x2c" + answer('\x65', std::string("\0\0\xe1\0", 4)) +
              answer('\x66', "\x08") + answer('\x67', "\x01") + answer('\x68', "\x01") + answer('\x69', "\x01") + "ab");
    int count = 0, next = 0;
    ASSERT_EQ(pair.device->InputCount(count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(pair.device->Service(next), 0);
    pair.Send(ff + "\xfe" + '\0');
    pair.device->InputCount(count);
    EXPECT_EQ(pair.device->Service(next), ECONNABORTED);
    EXPECT_EQ(pair.device->LostReason(), "The terminal server turned off binary transmission");
}

// What a server says and closes within its first second is the error's text.
TEST(SocketDeviceTest, WordsBeforeAnEarlyCloseAreTheReason)
{
    const struct {
        const char* name;
        bool telnet;
        std::chrono::milliseconds age;
        const char* reason;
    } cases[] = {
        {"raw", false, 0ms, "The terminal server closed the line: Port already in use"},
        {"telnet", true, 0ms, "The terminal server closed the line: Port already in use"},
        {"after a second", false, 1500ms, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SocketTiming timing;
        timing.connectedAt -= c.age;
        Pair pair(c.telnet, timing);
        pair.Send("Port already\tin use\r\n");
        shutdown(pair.peer, SHUT_WR);
        pair.WaitFor(POLLRDHUP);
        EXPECT_EQ(pair.device->LostError(), ECONNRESET);
        EXPECT_EQ(pair.device->LostReason(), c.reason);
    }
}

TEST(SocketDeviceTest, ServerWordsAreTextOnlyAndBounded)
{
    const struct {
        std::vector<std::string> reads;
        std::string text;
    } cases[] = {
        {{"\r\nPort  already", "\tin use\r\n"}, "Port already in use"},
        {{"Port in use\r\n", std::string("\x02R\0", 3)}, ""},
        {{"a\x7f"}, ""},
        {{"a\x80"}, ""},
        {{"a\x1b[1m"}, ""},
        {{"~}|{ \x0b\x0c"}, "~}|{"},
        {{std::string(150, 'w'), " ", std::string(150, 'v')}, std::string(150, 'w') + " " + std::string(49, 'v')},
        {{"\r\n"}, ""},
    };
    for (const auto& c : cases) {
        ServerWords words;
        for (const std::string& read : c.reads)
            words.Add(read);
        EXPECT_EQ(words.Text(), c.text);
    }
}

} // namespace
} // namespace zelt
