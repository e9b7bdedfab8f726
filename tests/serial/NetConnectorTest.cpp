#include "serial/NetConnector.h"

#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "serial/ComDevice.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <thread>

namespace zelt::test {
namespace {

NetConnector::Address Loopback(int port)
{
    NetConnector::Address a {};
    const sockaddr_in in = DeafListener::LoopbackAddress(port);
    std::memcpy(&a.address, &in, sizeof in);
    a.length = sizeof in;
    return a;
}

NetConnector::Address OfFamily(sa_family_t family, int tag)
{
    NetConnector::Address a {};
    a.address.ss_family = family;
    a.length = static_cast<socklen_t>(tag); // tells the addresses apart
    return a;
}

NetworkLine Line(bool telnet, int port)
{
    NetworkLine line;
    line.telnet = telnet;
    line.host = "127.0.0.1";
    line.port = std::to_string(port);
    return line;
}

// Runs a connector to its end; the device or the error, and how long it took.
struct Outcome {
    std::unique_ptr<ComDevice> device;
    std::string error;
    qint64 ms = 0;
};
Outcome Connect(NetConnector& connector)
{
    QElapsedTimer clock;
    clock.start();
    connector.Start();
    WaitUntil([&] { return connector.Finished(); }, 8000);
    Outcome outcome;
    outcome.ms = clock.elapsed();
    outcome.device = connector.TakeDevice();
    if (connector.Error())
        outcome.error = connector.Error()->what();
    return outcome;
}

TEST(NetConnectorTest, AttemptsAlternateTheFamiliesFirstOneFirst)
{
    const struct {
        const char* name;
        std::vector<std::pair<sa_family_t, int>> in, out;
    } cases[] = {
        {"six, six, four, four", {{AF_INET6, 1}, {AF_INET6, 2}, {AF_INET, 3}, {AF_INET, 4}},
         {{AF_INET6, 1}, {AF_INET, 3}, {AF_INET6, 2}, {AF_INET, 4}}},
        {"four first", {{AF_INET, 1}, {AF_INET6, 2}, {AF_INET6, 3}, {AF_INET6, 4}},
         {{AF_INET, 1}, {AF_INET6, 2}, {AF_INET6, 3}, {AF_INET6, 4}}},
        {"one family", {{AF_INET, 1}, {AF_INET, 2}}, {{AF_INET, 1}, {AF_INET, 2}}},
        {"none", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<NetConnector::Address> in;
        for (const auto& [family, tag] : c.in)
            in.push_back(OfFamily(family, tag));
        std::vector<std::pair<sa_family_t, int>> out;
        for (const NetConnector::Address& a : NetConnector::Interleaved(in))
            out.emplace_back(a.address.ss_family, static_cast<int>(a.length));
        EXPECT_EQ(out, c.out);
    }
}

// Addresses that never answer, refuse and work, in several orders: the
// first to connect wins within the time limit; an unanswered attempt holds
// the next back for the stagger, a refused one does not.
TEST(NetConnectorTest, EveryAddressIsTriedInTime)
{
    enum Kind { Deaf, Refused, Works };
    const struct {
        const char* name;
        std::vector<Kind> addresses;
        const char* error;
        qint64 atLeastMs;
    } cases[] = {
        {"deaf, refused, working", {Deaf, Refused, Works}, "", NetConnector::kStaggerMs},
        {"refused, working", {Refused, Works}, "", 0},
        {"deaf, deaf, working", {Deaf, Deaf, Works}, "", 2 * NetConnector::kStaggerMs},
        {"refused twice", {Refused, Refused}, "Connection refused", 0},
        {"none", {}, "No route to host", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeafListener deaf;
        Listener working;
        int refusedPort = 0;
        {
            Listener gone;
            refusedPort = gone.Port();
        }
        NetConnector::Resolution resolution;
        for (const Kind k : c.addresses)
            resolution.addresses.push_back(Loopback(k == Deaf ? deaf.Port() : k == Refused ? refusedPort : working.Port()));
        NetConnector connector(Line(false, working.Port()));
        connector.SetResolver([resolution](const std::string&, const std::string&) { return resolution; });
        const Outcome outcome = Connect(connector);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.device != nullptr, *c.error == '\0');
        EXPECT_GE(outcome.ms, c.atLeastMs);
        EXPECT_LT(outcome.ms, NetConnector::kDefaultTimeoutMs);
        if (outcome.device)
            EXPECT_GE(working.Accept(), 0);
    }
}

TEST(NetConnectorTest, ALookUpFailureIsTheResolversMessage)
{
    NetConnector connector(Line(false, 1));
    connector.SetResolver([](const std::string&, const std::string&) {
        NetConnector::Resolution r;
        r.result = EAI_NONAME;
        return r;
    });
    EXPECT_EQ(Connect(connector).error, gai_strerror(EAI_NONAME));
}

// A dead path is noticed by keep-alive probes and by a limit on
// unacknowledged data.
TEST(NetConnectorTest, TheLineOptionsAreSetOnTheSocket)
{
    Listener server;
    NetConnector connector(Line(false, server.Port()));
    const Outcome outcome = Connect(connector);
    ASSERT_TRUE(outcome.device) << outcome.error;
    const struct {
        const char* name;
        int level, option, value;
    } cases[] = {
        {"TCP_NODELAY", IPPROTO_TCP, TCP_NODELAY, 1},     {"SO_KEEPALIVE", SOL_SOCKET, SO_KEEPALIVE, 1},
        {"TCP_KEEPIDLE", IPPROTO_TCP, TCP_KEEPIDLE, 10},  {"TCP_KEEPINTVL", IPPROTO_TCP, TCP_KEEPINTVL, 5},
        {"TCP_KEEPCNT", IPPROTO_TCP, TCP_KEEPCNT, 3},     {"TCP_USER_TIMEOUT", IPPROTO_TCP, TCP_USER_TIMEOUT, 20000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int value = -1;
        socklen_t size = sizeof value;
        ASSERT_EQ(getsockopt(outcome.device->Handle(), c.level, c.option, &value, &size), 0);
        EXPECT_EQ(value, c.value);
    }
}

// What a server says in plain text and closes, or says instead of
// negotiating, is quoted (printable ASCII only).
TEST(NetConnectorTest, TheServersWordsAreTheError)
{
    const struct {
        const char* name;
        std::string said;
        bool closes;
        const char* error;
    } cases[] = {
        {"closes", "\r\nPort already in use\r\n", true, "The terminal server closed the line: Port already in use"},
        {"talks on", "Welcome to\r\n\tport 7\r\n", false,
         "The terminal server did not negotiate the line: Welcome to port 7"},
        {"sends data", "\x02R\x03", false, "Connection timed out"},
        {"closes silently", "", true, "Connection reset by peer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Listener server;
        std::thread fake([&] {
            const int peer = server.Accept();
            SendBytes(peer, c.said);
            ReceiveBytes(peer, 15); // our offers
            if (!c.closes)
                ReceiveBytes(peer, 1, 6000);
            close(peer);
        });
        NetConnector connector(Line(true, server.Port()), c.closes ? NetConnector::kDefaultTimeoutMs : 1000);
        EXPECT_EQ(Connect(connector).error, c.error);
        fake.join();
    }
}

} // namespace
} // namespace zelt::test
