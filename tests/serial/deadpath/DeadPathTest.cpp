// How long the console takes to notice a dead path, on a raw and on an
// RFC 2217 line, with the path dropped either way or both ways. Each case runs in a private network namespace of its own, where a
// traffic-control filter on the loopback drops the test's port alone; the
// four run at once. Figures go to the test's output.

#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "serial/ComPort.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace zelt::test {
namespace {

using Clock = std::chrono::steady_clock;

// Which packets of the test's port the filter drops. A drop on the way
// from the console is a drop in the console's own host, which its TCP takes
// for congestion rather than loss (keep-alive probes dropped there do not
// count); a drop on the way to it is a loss as on a dead path.
enum Drop { ToConsole = 1, FromConsole = 2, BothWays = 3 };

struct Case {
    const char* name;
    bool telnet;
    Drop drop;
    int limitSeconds; // what the figure must stay within
};
const Case kCases[] = {
    {"raw-to-console", false, ToConsole, 35},         {"raw-from-console", false, FromConsole, 45},
    {"raw-both-ways", false, BothWays, 45},           {"rfc2217-to-console", true, ToConsole, 30},
    {"rfc2217-from-console", true, FromConsole, 30},  {"rfc2217-both-ways", true, BothWays, 30},
};

bool Run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The server: agrees to every option on an RFC 2217 line, then sends one
// record-sized burst a second, as the controller does.
void Serve(const Listener& listener, bool telnet, const std::atomic<bool>& stop)
{
    const int peer = listener.Accept(5000);
    if (peer < 0)
        return;
    if (telnet) {
        const std::string ff("\xff", 1);
        auto answer = [&](char code, const std::string& v) { return ff + "\xfa\x2c" + code + v + ff + "\xf0"; };
        ReceiveBytes(peer, 15);
        SendBytes(peer, ff + "\xfd" + '\0' + ff + "\xfb" + '\0' + ff + "\xfd\x2c" +
                            answer('\x65', std::string("\0\0\xe1\0", 4)) + answer('\x66', "\x08") +
                            answer('\x67', "\x01") + answer('\x68', "\x01") + answer('\x69', "\x01"));
    }
    const std::string record(120, 'R');
    while (!stop) {
        send(peer, record.data(), record.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    close(peer);
}

// Inside the namespace: connect, drop the path after a few records, and
// write the seconds until the port's error, and the error, to out.
void Measure(const Case& c, const std::string& out)
{
    // Loopback traffic goes to class 1:1; what a filter sends to class 1:2
    // meets a queue of length 0, which drops it.
    ASSERT_TRUE(Run("ip link set lo up"));
    ASSERT_TRUE(Run("tc qdisc add dev lo root handle 1: htb default 1"));
    ASSERT_TRUE(Run("tc class add dev lo parent 1: classid 1:1 htb rate 10gbit"));
    ASSERT_TRUE(Run("tc class add dev lo parent 1: classid 1:2 htb rate 10gbit"));
    ASSERT_TRUE(Run("tc qdisc add dev lo parent 1:2 handle 20: pfifo limit 0"));
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path()); // the default limits
    Listener listener;
    std::atomic<bool> stop {false};
    std::thread server([&] { Serve(listener, c.telnet, stop); });
    struct Join {
        std::atomic<bool>& stop;
        std::thread& server;
        ~Join()
        {
            stop = true;
            server.join();
        }
    } join {stop, server};

    tcomport2 port;
    std::string error;
    port.SetErrorSink([&](const std::string& message) { error = message; });
    port.SetOnRxChar([&](QObject*) {
        std::string text;
        port.ReadAvailable(text);
    });
    port.SetDeviceName(QString::fromStdString((c.telnet ? "rfc2217://" : "tcp://") + listener.Address()));
    try {
        port.SetActive(true);
    } catch (const std::exception& e) {
        error = e.what();
    }
    ASSERT_TRUE(port.Active()) << error;
    Pump(3000);

    const std::string filter = "tc filter add dev lo parent 1: protocol ip prio 1 u32 match ip ";
    const std::string portText = std::to_string(listener.Port());
    if (c.drop & FromConsole)
        ASSERT_TRUE(Run(filter + "dport " + portText + " 0xffff classid 1:2"));
    if (c.drop & ToConsole)
        ASSERT_TRUE(Run(filter + "sport " + portText + " 0xffff classid 1:2"));
    const auto dropped = Clock::now();
    WaitUntil([&] { return !port.Active(); }, 90000);
    const double seconds = std::chrono::duration<double>(Clock::now() - dropped).count();
    std::ofstream(out) << seconds << '\n' << error << '\n';
}

TEST(DeadPathTest, ADeadPathIsNoticedOnEveryKindOfLine)
{
    if (const char* name = std::getenv("ZELT_DEAD_PATH_CASE")) {
        for (const Case& c : kCases)
            if (c.name == std::string(name))
                Measure(c, std::getenv("ZELT_DEAD_PATH_OUT"));
        return;
    }
    QStringList unshare;
    for (const QStringList& tried : {QStringList {"-rn"}, QStringList {"-n"}})
        if (unshare.isEmpty() && QProcess::execute(QStringLiteral("unshare"), tried + QStringList {"true"}) == 0)
            unshare = tried;
    if (unshare.isEmpty())
        GTEST_SKIP() << "No private network namespace can be made here (unshare -rn and unshare -n fail): the "
                        "dead-path times are not measured.";
    if (QProcess::execute(QStringLiteral("unshare"), unshare + QStringList {"tc", "qdisc", "add", "dev", "lo", "root",
                                                                           "handle", "1:", "htb"}) != 0)
        GTEST_SKIP() << "tc (iproute2) cannot run in a private network namespace here: the dead-path times are not "
                        "measured.";

    QTemporaryDir results;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const Case& c : kCases) {
        auto run = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELT_DEAD_PATH_CASE"), QString::fromLatin1(c.name));
        env.insert(QStringLiteral("ZELT_DEAD_PATH_OUT"), results.filePath(QString::fromLatin1(c.name)));
        run->setProcessEnvironment(env);
        run->setProcessChannelMode(QProcess::ForwardedChannels);
        run->start(QStringLiteral("unshare"),
                   unshare + QStringList {QCoreApplication::applicationFilePath(),
                                          QStringLiteral("--gtest_filter=DeadPathTest.*")});
        runs.push_back(std::move(run));
    }
    for (auto& run : runs)
        EXPECT_TRUE(run->waitForFinished(150000) && run->exitCode() == 0);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::ifstream in(results.filePath(QString::fromLatin1(c.name)).toStdString());
        double seconds = -1;
        std::string error;
        in >> seconds;
        in.ignore();
        std::getline(in, error);
        std::printf("dead path %-21s noticed after %5.1f s: %s\n", c.name, seconds, error.c_str());
        EXPECT_GT(seconds, 0);
        EXPECT_LE(seconds, c.limitSeconds);
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace zelt::test
