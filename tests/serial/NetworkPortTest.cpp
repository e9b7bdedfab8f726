#include "common/EventLoop.h"
#include "common/Loopback.h"
#include "serial/ComPort.h"
#include "serial/PortNames.h"
#include "serial/PortWindows.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelt::test {
namespace {

TEST(NetworkLineTest, ParsesTheTwoSchemes)
{
    const struct {
        const char* url;
        bool valid, telnet;
        const char* host;
        const char* port;
    } cases[] = {
        {"tcp://10.20.0.5:4001", true, false, "10.20.0.5", "4001"},
        {"rfc2217://plant-7.example:2001", true, true, "plant-7.example", "2001"},
        {"rfc2217://[fe80::1]:65535", true, true, "fe80::1", "65535"},
        {"tcp://fe80::1:4001", false, false, "", ""},
        {"tcp://host:0", false, false, "", ""},
        {"tcp://host:65536", false, false, "", ""},
        {"tcp://:4001", false, false, "", ""},
        {"telnet://host:23", false, false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const auto line = ParseNetworkLine(QString::fromLatin1(c.url));
        ASSERT_EQ(line.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(line->telnet, c.telnet);
            EXPECT_EQ(line->host, c.host);
            EXPECT_EQ(line->port, c.port);
        }
    }
}

class NetworkPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        ShowPortInWindows(port);
        port.SetOnRxChar([this](QObject*) {
            std::string text;
            port.ReadAvailable(text);
            received += text;
        });
        port.SetAfterClose([this](TCustomComPort*) { ++closes; });
    }
    void TearDown() override
    {
        port.SetActive(false);
        SetStandardErrorSink({});
    }
    void MapCom3(const std::string& url)
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"),
                           QStringLiteral("zelt6380"));
        settings.setValue(QStringLiteral("ports/COM3"), QString::fromStdString(url));
        settings.sync();
        port.SetDeviceName(QStringLiteral("COM3"));
    }
    void Open() { RunGuarded([&] { port.SetActive(true); }); }

    QTemporaryDir config;
    QStringList errors;
    std::string received;
    int closes = 0;
    tcomport2 port;
};

TEST_F(NetworkPortTest, RawLinePassesEveryByteAndACloseByTheFarEndIsOneLoss)
{
    Listener server;
    MapCom3("tcp://" + server.Address());
    Open();
    ASSERT_TRUE(port.Active()) << errors.join(QLatin1Char('\n')).toStdString();
    const int peer = server.Accept();
    const std::string bytes("\x02R\xff\x11\x13\x03\xff", 7);
    SendBytes(peer, bytes);
    EXPECT_TRUE(WaitUntil([&] { return received == bytes; }));
    port.WriteText(bytes);
    EXPECT_EQ(ReceiveBytes(peer, bytes.size()), bytes);
    close(peer);
    EXPECT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(100);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(errors, QStringList {QStringLiteral("Connection reset by peer")});
}

// The fake server agrees to everything at once, then sends payload mixed
// with an escaped IAC and a modem-state notification.
TEST_F(NetworkPortTest, Rfc2217LineCountsOnlyPayloadAndEscapesWhatItSends)
{
    Listener server;
    MapCom3("rfc2217://" + server.Address());
    std::string offers, settings, sent;
    std::thread fake([&] {
        const int peer = server.Accept();
        offers = ReceiveBytes(peer, 15);
        SendBytes(peer, "\xff\xfd\x03\xff\xfb\x03" + Rfc2217Agreement());
        settings = ReceiveBytes(peer, 38);
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // opening purges what came before
        SendBytes(peer, "A\xff\xff" + Rfc2217Answer('\x6b', "\x30") + "B");
        sent = ReceiveBytes(peer, 5, 3000);
        close(peer);
    });
    Open();
    ASSERT_TRUE(port.Active()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(WaitUntil([&] { return received.size() >= 3; }));
    EXPECT_EQ(received, "A\xff" "B");
    port.WriteText("\xff\x11\xff");
    fake.join();
    EXPECT_EQ(offers.size(), 15u);
    EXPECT_EQ(settings.size(), 38u);
    EXPECT_EQ(sent, std::string("\xff\xff\x11\xff\xff"));
}

TEST_F(NetworkPortTest, Rfc2217ServerThatRefusesTheBaudRateLeavesThePortClosed)
{
    Listener server;
    MapCom3("rfc2217://" + server.Address());
    std::thread fake([&] {
        const int peer = server.Accept();
        SendBytes(peer, std::string("\xff\xfd\x2c\xff\xfa\x2c\x65\0\0\x25\x80\xff\xf0", 13));
        ReceiveBytes(peer, 1000, 1000);
        close(peer);
    });
    Open();
    fake.join();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(errors, QStringList {QStringLiteral("The terminal server refused the baud rate 57600 (it answered 9600)")});
}

TEST_F(NetworkPortTest, ClosedPortIsOneError)
{
    int closedPort = 0;
    {
        Listener gone;
        closedPort = gone.Port();
    }
    MapCom3("tcp://127.0.0.1:" + std::to_string(closedPort));
    Open();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(errors, QStringList {QStringLiteral("Connection refused")});
}

// A listener whose backlog is full drops further handshakes, as an
// unreachable host does: the connect gives up at the time-out while the
// window's event loop runs on behind the modal box, which Cancel ends.
TEST_F(NetworkPortTest, UnansweredConnectTimesOutBehindAModalBoxThatCancelEnds)
{
    DeafListener full;
    MapCom3("tcp://" + full.Address());

    int ticks = 0;
    QString boxText;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            boxText = box->text();
    });
    ticker.start(100);
    QElapsedTimer clock;
    clock.start();
    Open();
    EXPECT_FALSE(port.Active());
    EXPECT_GE(clock.elapsed(), 4900);
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_GT(ticks, 30);
    EXPECT_EQ(boxText, QStringLiteral("Connecting to %1\u2026").arg(QString::fromStdString(full.Address())));
    EXPECT_EQ(errors, QStringList {QStringLiteral("Connection timed out")});

    errors.clear();
    QTimer::singleShot(200, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Cancel)->click();
    });
    clock.restart();
    Open();
    EXPECT_FALSE(port.Active());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(errors.isEmpty());
}

// A server that streams from the first moment: while negotiating, Cancel
// ends the wait; once open, the bytes waiting stay bounded while nobody
// reads, Disconnect is prompt, and reading at full speed ends in one error.
TEST_F(NetworkPortTest, AStreamingServerCannotHoldTheConsole)
{
    Listener server;
    std::atomic<bool> stop {false};
    std::thread flood([&] {
        const std::string block(16384, '\x55');
        for (int peer = -1; !stop; close(peer))
            for (peer = server.Accept(200); peer >= 0 && !stop;)
                if (send(peer, block.data(), block.size(), MSG_NOSIGNAL) < 0)
                    break;
    });
    QElapsedTimer clock;
    QTimer::singleShot(500, [&] {
        clock.start();
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Cancel)->click();
    });
    MapCom3("rfc2217://" + server.Address());
    Open();
    EXPECT_LT(clock.elapsed(), 1000); // 500 ms, with room for a loaded machine
    bool reading = false;
    port.SetOnRxChar([&](QObject*) {
        std::string text;
        if (reading)
            port.ReadAvailable(text);
    });
    MapCom3("tcp://" + server.Address());
    Open();
    Pump(500);
    EXPECT_EQ(port.BytesWaiting(), 64 * 1024);
    clock.restart();
    port.SetActive(false);
    EXPECT_LT(clock.elapsed(), 1000); // 500 ms, with room for a loaded machine
    reading = true;
    Open();
    EXPECT_TRUE(WaitUntil([&] { return !port.Active(); }, 20000));
    stop = true;
    flood.join();
    EXPECT_EQ(errors, QStringList {"The terminal server sends faster than a 57600 bit/s line: wrong port?"});
}

// A raw line falls silent while a read waits on the window's thread: the
// read meets the end first and tells it in the line's own words, once.
TEST_F(NetworkPortTest, ASilentLineMetByAWaitingReadIsOneErrorInItsOwnWords)
{
    Listener server;
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"))
        .setValue(QStringLiteral("network/silence"), 1);
    MapCom3("tcp://" + server.Address());
    Open();
    const int peer = server.Accept();
    char byte = 0;
    RunGuarded([&] { port.Read(&byte, 1, true); });
    EXPECT_TRUE(WaitUntil([&] { return !port.Active(); }));
    Pump(100);
    close(peer);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(errors, QStringList {"The terminal server sent nothing for 1 s"});
}

} // namespace
} // namespace zelt::test
