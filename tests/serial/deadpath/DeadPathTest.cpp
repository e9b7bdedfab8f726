// How long the console takes to notice a dead path, on a raw and on an
// RFC 2217 line, with the path dropped either way or both ways. Each case
// runs in a private network namespace of its own, where a traffic-control
// filter on the loopback drops the test's port alone; all run at once, and
// the figures go to the test's output.

#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "serial/ComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace zelt::test {
namespace {

// Which way the filter drops. A drop on the way from the console happens in
// the console's own host, which its TCP takes for congestion rather than
// loss (keep-alive probes dropped there do not count).
enum Drop { ToConsole = 1, FromConsole = 2, BothWays = 3 };
const struct {
    const char* name;
    bool telnet;
    int drop;
    double limitSeconds;
} kCases[] = {{"raw-to-console", false, ToConsole, 35},  {"raw-from-console", false, FromConsole, 45},
              {"raw-both-ways", false, BothWays, 45},    {"rfc2217-to-console", true, ToConsole, 30},
              {"rfc2217-from-console", true, FromConsole, 30}, {"rfc2217-both-ways", true, BothWays, 30}};

bool Run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Inside the namespace: a server that agrees to every option and sends a
// record a second; the path is dropped after a few records, and the seconds
// until the port's error, and the error, go to the file out.
void Measure(bool telnet, int drop, const std::string& out)
{
    // Loopback traffic goes to class 1:1; the filter sends the port's to 1:2,
    // whose queue of length 0 drops it.
    for (const char* command : {"ip link set lo up", "tc qdisc add dev lo root handle 1: htb default 1",
                                "tc class add dev lo parent 1: classid 1:1 htb rate 10gbit",
                                "tc class add dev lo parent 1: classid 1:2 htb rate 10gbit",
                                "tc qdisc add dev lo parent 1:2 handle 20: pfifo limit 0"})
        ASSERT_TRUE(Run(command)) << command;
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path()); // the default limits
    const Listener listener;
    const std::jthread server([&](std::stop_token stop) {
        const int peer = listener.Accept(5000);
        const std::string ff("\xff", 1);
        auto answer = [&](char code, const std::string& v) { return ff + "\xfa\x2c" + code + v + ff + "\xf0"; };
        if (telnet)
            SendBytes(peer, ff + "\xfd" + '\0' + ff + "\xfb" + '\0' + ff + "\xfd\x2c" +
                                answer('\x65', std::string("\0\0\xe1\0", 4)) + answer('\x66', "\x08") +
                                answer('\x67', "\x01") + answer('\x68', "\x01") + answer('\x69', "\x01"));
        for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::seconds(1)))
            send(peer, std::string(120, 'R').data(), 120, MSG_NOSIGNAL | MSG_DONTWAIT);
        close(peer);
    });
    tcomport2 port;
    std::string error, received;
    port.SetErrorSink([&](const std::string& message) { error = message; });
    port.SetOnRxChar([&](QObject*) { port.ReadAvailable(received); });
    port.SetDeviceName(QString::fromStdString((telnet ? "rfc2217://" : "tcp://") + listener.Address()));
    port.SetActive(true);
    Pump(3000);
    const std::string filter = "tc filter add dev lo parent 1: protocol ip prio 1 u32 match ip ";
    const std::string match = std::to_string(listener.Port()) + " 0xffff classid 1:2";
    ASSERT_TRUE(!(drop & FromConsole) || Run(filter + "dport " + match));
    ASSERT_TRUE(!(drop & ToConsole) || Run(filter + "sport " + match));
    error.clear();
    QElapsedTimer clock;
    clock.start();
    WaitUntil([&] { return !port.Active(); }, 90000);
    std::ofstream(out) << clock.elapsed() / 1000.0 << '\n' << error << '\n';
}

TEST(DeadPathTest, ADeadPathIsNoticedOnEveryKindOfLine)
{
    if (const char* name = std::getenv("ZELT_DEAD_PATH_CASE")) {
        for (const auto& c : kCases)
            if (c.name == std::string(name))
                Measure(c.telnet, c.drop, std::getenv("ZELT_DEAD_PATH_OUT"));
        return;
    }
    QStringList unshare;
    for (const QStringList& tried : {QStringList {"-rn"}, QStringList {"-n"}})
        if (unshare.isEmpty() && QProcess::execute("unshare", tried + QStringList {"tc", "qdisc", "add", "dev", "lo",
                                                                                     "root", "handle", "1:", "htb"}) == 0)
            unshare = tried;
    if (unshare.isEmpty())
        GTEST_SKIP() << "No private network namespace with traffic control can be made here (unshare -rn and "
                        "unshare -n, then tc, fail): the dead-path times are not measured.";
    QTemporaryDir results;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const auto& c : kCases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZELT_DEAD_PATH_CASE", c.name);
        env.insert("ZELT_DEAD_PATH_OUT", results.filePath(c.name));
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->setProcessEnvironment(env);
        runs.back()->setProcessChannelMode(QProcess::ForwardedChannels);
        runs.back()->start("unshare", unshare + QStringList {QCoreApplication::applicationFilePath(), "--gtest_brief=1"});
    }
    for (const auto& c : kCases) {
        EXPECT_TRUE(runs.front()->waitForFinished(150000) && runs.front()->exitCode() == 0) << c.name;
        runs.erase(runs.begin());
        std::ifstream in(results.filePath(c.name).toStdString());
        double seconds = 0;
        std::string error;
        in >> seconds >> std::ws;
        std::getline(in, error);
        std::printf("dead path %-21s noticed after %5.1f s: %s\n", c.name, seconds, error.c_str());
        EXPECT_TRUE(seconds > 0 && seconds <= c.limitSeconds && !error.empty()) << c.name;
    }
}

} // namespace
} // namespace zelt::test
