// The console on a network line: Debian's ser2net in front of the simulated
// controller's pseudo-terminal, once as a raw TCP stream and once as a
// Telnet session with the COM port control option; and our own delaying
// proxy in front of the simulator, against the protocol's fixed waits.

#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "common/Pty.h"
#include "history/TfrmHistory.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "sim/FakeController.h"
#include "ui/MessageBox.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

using namespace zelt;
using namespace zelt::test;

namespace {

// A free loopback port a moment ago.
int FreePort()
{
    Listener probe;
    return probe.Port();
}

bool CanConnect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// A clock command whose frame checksum is the given byte.
std::string ClockPayloadWithChecksum(std::uint8_t checksum)
{
    for (int s = 0; s < 24 * 3600; ++s) {
        char payload[15];
        std::snprintf(payload, sizeof payload, "20250101%02d%02d%02d", s / 3600, s / 60 % 60, s % 60);
        if (BodyChecksum(std::string("T") + payload) == checksum)
            return payload;
    }
    return {};
}

class TerminalServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        SetMessageSink([this](MessageKind, const QString& text, const QString&) { messages.append(text); });
        sim::Scenario scenario;
        scenario.rate = 3;
        controller = std::make_unique<sim::FakeController>(pty.Master(), scenario);
        window = std::make_unique<TMain_Form>();
        window->CreateHistoryWindows();
        // Every byte the window's reads deliver, ahead of its own handler.
        const TComDataEvent previous = window->ComPort11().AfterRead();
        window->ComPort11().SetAfterRead([this, previous](QObject* s, const char* b, int n, bool w) {
            received.append(b, static_cast<std::size_t>(n));
            previous(s, b, n, w);
        });
    }
    void TearDown() override
    {
        window.reset();
        controller.reset();
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(2000);
        }
        SetMessageSink({});
        SetStandardErrorSink({});
    }

    void StartServer(bool telnet)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin"}).isEmpty())
            GTEST_SKIP() << "ser2net is not installed";
        port = FreePort();
        const QString config = dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("connection: &plant\n"
                                  "  accepter: %1tcp,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,57600n81,local\n"
                                  "  options:\n"
                                  "    banner: \"\"\n"
                                  "    kickolduser: false\n")
                       .arg(telnet ? QStringLiteral("telnet(rfc2217),") : QString())
                       .arg(port)
                       .arg(QString::fromStdString(pty.SlavePath()))
                       .toUtf8());
        file.close();
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin"}),
                     {"-n", "-d", "-u", "-P", dir.filePath(QStringLiteral("pid")), "-c", config});
        ASSERT_TRUE(server.waitForStarted(3000));
        ASSERT_TRUE(WaitUntil([&] { return CanConnect(port); }, 5000)) << server.readAll().toStdString();
    }

    void ConnectTo(const QString& url)
    {
        window->ComPort11().SetDeviceName(url);
        window->findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
        ASSERT_TRUE(window->ComPort11().Active()) << errors.join(QLatin1Char('|')).toStdString();
        controller->startPushing();
    }

    QStringList ResultLines() const
    {
        const QString text = window->mmResult()->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    int Received(char letter) const
    {
        int n = 0;
        for (const std::string& body : controller->receivedBodies())
            n += !body.empty() && body[0] == letter;
        return n;
    }

    // Everything the console does over a live line, checked once.
    void RunTheLine()
    {
        StatusArea& area = window->Status().Area();
        ASSERT_TRUE(WaitUntil([&] { return !area.Text("pnlDC_V").empty() && !area.Text("pnlRM4").empty() &&
                                           !area.Text("pnlACVolt1").empty(); },
                              5000));

        // A command leaves once and its acknowledgement is logged.
        window->Scheduler().PostCommand(KindClock, "20250101120000");
        ASSERT_TRUE(WaitUntil([&] { return !ResultLines().isEmpty(); }, 2000));
        Pump(400);
        ASSERT_EQ(ResultLines().size(), 1);
        EXPECT_TRUE(ResultLines()[0].startsWith(QStringLiteral("Setting Sucess! <<---")));
        EXPECT_EQ(Received('T'), 1);

        // Checksums 0xFF, XON and XOFF, both ways.
        for (const std::uint8_t sum : {0xFF, 0x11, 0x13}) {
            const std::string payload = ClockPayloadWithChecksum(sum);
            window->Scheduler().PostCommand(KindClock, payload);
            EXPECT_TRUE(WaitUntil([&] {
                const auto& bodies = controller->receivedBodies();
                return std::find(bodies.begin(), bodies.end(), "T" + payload) != bodies.end();
            }, 2000)) << int(sum);
            Pump(300);
        }
        for (const char* body : {"OXX", "Oaa", "Obb"}) // checksums 0xFF, 0x11, 0x13
            controller->sendFrame(body[0], body + 1);
        EXPECT_TRUE(WaitUntil([&] {
            return received.find(EncodeFrame("OXX") + EncodeFrame("Oaa") + EncodeFrame("Obb")) != std::string::npos;
        }, 2000));

        // The history download of the simulator's 25 records.
        bool ran = false;
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }, 20000));
            ran = true;
            window->frmHistory()->findChild<QAbstractButton*>(QStringLiteral("bbtClose"))->click();
        });
        window->findChild<QAbstractButton*>(QStringLiteral("Alarm_History"))->click();
        EXPECT_TRUE(ran);
        EXPECT_EQ(messages, QStringList {QStringLiteral("25 History data\rare Saved!!")});
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();

        // The terminal server dies mid-stream: one error, back to Disconnected.
        server.kill();
        EXPECT_TRUE(WaitUntil([&] { return !window->ComPort11().Active(); }, 3000));
        Pump(300);
        EXPECT_FALSE(window->Timer1().isActive());
        EXPECT_TRUE(window->findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->isEnabled());
        EXPECT_EQ(errors.size(), 1) << errors.join(QLatin1Char('|')).toStdString();
    }

    PtyPair pty;
    QTemporaryDir dir;
    QProcess server;
    int port = 0;
    std::unique_ptr<sim::FakeController> controller;
    std::unique_ptr<TMain_Form> window;
    QStringList errors;
    QStringList messages;
    std::string received;
};

TEST_F(TerminalServerTest, RawTcpThroughSer2net)
{
    StartServer(false);
    if (IsSkipped())
        return;
    ConnectTo(QStringLiteral("tcp://127.0.0.1:%1").arg(port));
    RunTheLine();
}

TEST_F(TerminalServerTest, Rfc2217ThroughSer2net)
{
    StartServer(true);
    if (IsSkipped())
        return;
    ConnectTo(QStringLiteral("rfc2217://localhost:%1").arg(port)); // resolved, ::1 refused, then 127.0.0.1
    RunTheLine();
}

} // namespace
