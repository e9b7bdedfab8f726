// The serial component without widgets: what the port cannot hand to a caller
// reaches the owner's sink, or Qt's warning log without one.

#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "common/Pty.h"
#include "serial/ComPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelt::test {
namespace {

TEST(HeadlessPort, ReceivesAndTellsTheSinkWhenThePeerGoesAway)
{
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"pty", "Input/output error"},
        {"tcp", "Connection reset by peer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const bool network = std::string(c.line) == "tcp";
        PtyPair pty;
        Listener server;
        tcomport2 port;
        std::vector<std::string> errors;
        std::string received;
        port.SetErrorSink([&](const std::string& message) { errors.push_back(message); });
        port.SetOnRxChar([&](QObject*) {
            std::string text;
            port.ReadAvailable(text);
            received += text;
        });
        port.SetDeviceName(QString::fromStdString(network ? "tcp://" + server.Address() : pty.SlavePath()));
        port.SetActive(true);
        const int peer = network ? server.Accept() : pty.Master();
        // A record, not plain text: a server's words before an early close would be quoted.
        ASSERT_EQ(write(peer, "\x02R1", 3), 3);
        EXPECT_TRUE(WaitUntil([&] { return received == "\x02R1"; }));
        if (network)
            close(peer);
        else
            pty.CloseMaster();
        ASSERT_TRUE(WaitUntil([&] { return !port.Active(); }));
        Pump(50);
        EXPECT_EQ(errors, std::vector<std::string> {c.error});
    }
}

QStringList warnings;

TEST(HeadlessPort, WithoutASinkTheErrorGoesToTheWarningLog)
{
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtWarningMsg)
            warnings.append(text);
    });
    PtyPair pty;
    tcomport2 port;
    port.SetOnRxChar([](QObject*) {});
    port.SetDeviceName(QString::fromStdString(pty.SlavePath()));
    port.SetActive(true);
    pty.CloseMaster();
    EXPECT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(50);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList {QString::fromStdString(pty.SlavePath() + ": Input/output error")});
}

} // namespace
} // namespace zelt::test
