#include "serial/SocketDevice.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

namespace zelt {
namespace {

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
    EXPECT_EQ(written, static_cast<int>(payload.size()));
    EXPECT_TRUE(wire == expected);
    close(pair[1]);
}

} // namespace
} // namespace zelt
