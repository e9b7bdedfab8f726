#include "serial/NetConnector.h"

#include "common/EventLoop.h"
#include "common/Loopback.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <netinet/tcp.h>
#include <thread>

namespace zelt::test {
namespace {

NetConnector::Address Address(sa_family_t family, int port)
{
    NetConnector::Address a {};
    const sockaddr_in in = LoopbackAddress(port);
    std::memcpy(&a.address, &in, sizeof in);
    a.address.ss_family = family;
    a.length = sizeof in;
    return a;
}

// Runs a connector on addresses (the system resolver without) to its end:
// the error, empty with the device, and how long it took.
std::string Connect(bool telnet, int port, std::unique_ptr<ComDevice>& device, qint64& ms,
                    const std::vector<NetConnector::Address>* addresses = nullptr, int timeoutMs = 5000)
{
    NetConnector connector(NetworkLine {telnet, "127.0.0.1", std::to_string(port), {}}, timeoutMs);
    if (addresses)
        connector.SetResolver([a = *addresses](auto&, auto&) { return NetConnector::Resolution {0, 0, a}; });
    QElapsedTimer clock;
    clock.start();
    connector.Start();
    WaitUntil([&] { return connector.Finished(); }, 8000);
    ms = clock.elapsed();
    device = connector.TakeDevice();
    return connector.Error() ? connector.Error()->what() : "";
}

TEST(NetConnectorTest, AttemptsAlternateTheFamiliesFirstOneFirst)
{
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>> {
             {"66644", "64646"}, {"4666", "4666"}, {"44", "44"}, {"", ""}}) {
        std::vector<NetConnector::Address> addresses;
        for (const char c : in)
            addresses.push_back(Address(c == '6' ? AF_INET6 : AF_INET, addresses.size()));
        std::string order;
        for (const NetConnector::Address& a : NetConnector::Interleaved(addresses))
            order += a.address.ss_family == AF_INET6 ? '6' : '4';
        EXPECT_EQ(order, out) << in;
    }
}

// Addresses that never answer (D), refuse (R) and work (W): the first to
// connect wins within the time limit; an unanswered attempt holds the next
// back for the stagger, a refused one does not.
TEST(NetConnectorTest, EveryAddressIsTriedInTime)
{
    const struct {
        std::string kinds;
        const char* error;
        qint64 atLeastMs;
    } cases[] = {{"DRW", "", 250}, {"RW", "", 0}, {"DDW", "", 500}, {"RR", "Connection refused", 0},
                 {"", "No route to host", 0}};
    for (const auto& c : cases) {
        DeafListener deaf;
        Listener working;
        const int refused = FreePort();
        std::vector<NetConnector::Address> addresses;
        for (const char k : c.kinds)
            addresses.push_back(Address(AF_INET, k == 'D' ? deaf.Port() : k == 'R' ? refused : working.Port()));
        std::unique_ptr<ComDevice> device;
        qint64 ms = 0;
        EXPECT_EQ(Connect(false, working.Port(), device, ms, &addresses), c.error) << c.kinds;
        EXPECT_EQ(device != nullptr, *c.error == '\0') << c.kinds;
        EXPECT_GE(ms, c.atLeastMs) << c.kinds;
        EXPECT_LT(ms, 5000) << c.kinds;
        // A dead path is noticed by keep-alive probes and a limit on unacknowledged data.
        const int options[][3] = {{IPPROTO_TCP, TCP_NODELAY, 1},   {SOL_SOCKET, SO_KEEPALIVE, 1},
                                  {IPPROTO_TCP, TCP_KEEPIDLE, 10}, {IPPROTO_TCP, TCP_KEEPINTVL, 5},
                                  {IPPROTO_TCP, TCP_KEEPCNT, 3},   {IPPROTO_TCP, TCP_USER_TIMEOUT, 20000}};
        for (const auto& [level, option, expected] : options) {
            int value = -1;
            socklen_t size = sizeof value;
            getsockopt(device ? device->Handle() : -1, level, option, &value, &size);
            EXPECT_EQ(value, device ? expected : -1) << option;
        }
    }
}

// What a server says in plain text and closes, or says instead of
// negotiating, is quoted; data is not.
TEST(NetConnectorTest, TheServersWordsAreTheError)
{
    const struct {
        std::string said;
        bool closes;
        const char* error;
    } cases[] = {{"\r\nPort already in use\r\n", true, "The terminal server closed the line: Port already in use"},
                 {"Welcome to\r\n\tport 7\r\n", false, "The terminal server did not negotiate the line: Welcome to port 7"},
                 {"\x02R\x03", false, "Connection timed out"},
                 {"", true, "Connection reset by peer"}};
    for (const auto& c : cases) {
        Listener server;
        std::thread fake([&] {
            const int peer = server.Accept();
            SendBytes(peer, c.said);
            ReceiveBytes(peer, c.closes ? 15 : 16, 3000); // our offers, or until we give up
            close(peer);
        });
        std::unique_ptr<ComDevice> device;
        qint64 ms = 0;
        EXPECT_EQ(Connect(true, server.Port(), device, ms, nullptr, 1000), c.error);
        fake.join();
    }
}

} // namespace
} // namespace zelt::test
