#include "serial/NetConnector.h"

#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "PortTestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <thread>

// The system's resolver as this test binary sees it: one made-up name fails
// the way a resolver short of descriptors does, the rest go to the C library.
constexpr char kFailingName[] = "resolver-failure.test";

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** found)
{
    if (node != nullptr && std::strcmp(node, kFailingName) == 0) {
        errno = EMFILE;
        return EAI_SYSTEM;
    }
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto system = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return system(node, service, hints, found);
}

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

// The system resolver asked for a host and a numeric port: one stream
// address each, never a service looked up by name.
TEST(NetConnectorTest, TheSystemResolverGivesOneStreamAddressForANumericPort)
{
    const NetConnector::Resolution found = NetConnector::SystemResolver("127.0.0.1", "4001");
    ASSERT_EQ(found.result, 0);
    ASSERT_EQ(found.addresses.size(), 1u);
    sockaddr_in in {};
    std::memcpy(&in, &found.addresses[0].address, sizeof in);
    EXPECT_EQ(in.sin_family, AF_INET);
    EXPECT_EQ(ntohs(in.sin_port), 4001);
    EXPECT_EQ(found.addresses[0].length, sizeof in);
    EXPECT_NE(NetConnector::SystemResolver("127.0.0.1", "telnet").result, 0);

    // A failure in the system is named by its errno.
    NetConnector connector(NetworkLine {false, kFailingName, "4001", {}}, 3000);
    connector.Start();
    ASSERT_TRUE(WaitUntil([&] { return connector.Finished(); }, 3000));
    ASSERT_TRUE(connector.Error());
    EXPECT_STREQ(connector.Error()->what(), "Too many open files");
}

// The time limit is never cut short, whenever in the second it ends (a
// coarse timer may end up to 5 % early).
TEST(NetConnectorTest, TheTimeLimitIsNeverCutShort)
{
    DeafListener deaf;
    const std::vector<NetConnector::Address> addresses {Address(AF_INET, deaf.Port())};
    for (int round = 0; round < 8; ++round) {
        std::unique_ptr<ComDevice> device;
        qint64 ms = 0;
        EXPECT_EQ(Connect(false, deaf.Port(), device, ms, &addresses, 300), "Connection timed out");
        EXPECT_GE(ms, 300) << round;
    }
}

// Addresses that never answer (D), refuse (R), cannot be tried (X: an
// IPv6 family with an IPv4 length) and work (W): the first to connect wins
// within the time limit; an unanswered attempt holds the next back for the
// stagger, a failed one does not. No attempt's socket is left open.
TEST(NetConnectorTest, EveryAddressIsTriedInTime)
{
    const struct {
        std::string kinds;
        const char* error;
        qint64 atLeastMs;
    } cases[] = {{"DRW", "", 250}, {"RW", "", 0}, {"DDW", "", 500}, {"RR", "Connection refused", 0}, {"XW", "", 0},
                 {"", "No route to host", 0}};
    for (const auto& c : cases) {
        DeafListener deaf;
        Listener working;
        const int refused = FreePort();
        const int descriptors = CountProcEntries("fd");
        std::vector<NetConnector::Address> addresses;
        for (const char k : c.kinds)
            addresses.push_back(Address(k == 'X' ? AF_INET6 : AF_INET,
                                        k == 'D' ? deaf.Port() : k == 'R' ? refused : working.Port()));
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
        device.reset();
        EXPECT_EQ(CountProcEntries("fd"), descriptors) << c.kinds;
    }
}

// What a server says in plain text and closes, or says instead of
// negotiating, is quoted; data is not. A negotiation that comes a byte at
// first opens the line.
TEST(NetConnectorTest, TheServersWordsAreTheError)
{
    const std::string agreement = Rfc2217Agreement();
    const struct {
        std::vector<std::string> said; // sent apart
        bool closes;
        const char* error;
    } cases[] = {{{"\r\nPort already in use\r\n"}, true, "The terminal server closed the line: Port already in use"},
                 {{"Welcome to\r\n\tport 7\r\n"}, false, "The terminal server did not negotiate the line: Welcome to port 7"},
                 {{"\x02R\x03"}, false, "Connection timed out"},
                 {{""}, true, "Connection reset by peer"},
                 {{agreement.substr(0, 1), agreement.substr(1)}, false, ""}};
    for (const auto& c : cases) {
        Listener server;
        std::thread fake([&] {
            const int peer = server.Accept();
            for (const std::string& piece : c.said) {
                SendBytes(peer, piece);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
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
