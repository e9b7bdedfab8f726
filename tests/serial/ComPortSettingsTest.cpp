// The port's settings, its own errors, and what opening does to the device.

#include "serial/ComDevice.h"
#include "PortTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelt::test {
namespace {

TEST(ComPortDefaults, NewPortIsClosedWithTheStandardSettings)
{
    tcomport2 port;
    EXPECT_EQ(port.DeviceName(), "COM1");
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.BufferSizes().Input(), 4096);
    EXPECT_EQ(port.BufferSizes().Output(), 2048);
    EXPECT_EQ(port.Characters().XOn(), 17);
    EXPECT_EQ(port.Characters().XOff(), 19);
    EXPECT_EQ(port.ThreadPriority(), tpTimeCritical);
    EXPECT_TRUE(port.SynchronizeEvents());
    EXPECT_EQ(port.BaudRate(), brDefault);
    EXPECT_EQ(port.CustomBaudRate(), 0);
}

TEST(ComPortDefaults, CustomBaudRateFollowsTheChosenRate)
{
    tcomport2 port;
    port.SetBaudRate(br57600);
    EXPECT_EQ(port.CustomBaudRate(), 57600);
    port.SetCustomBaudRate(9600);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
}

TEST_F(PortTest, PlantSettingsGiveA57600EightNoneOneRawLine)
{
    UsePlantSettings();
    port.SetActive(true);
    ASSERT_TRUE(port.Active());
    const termios t = pty.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_EQ(cfgetispeed(&t), B57600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | INPCK), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST_F(PortTest, ClosingGivesTheDeviceItsSettingsBack)
{
    const termios before = pty.SlaveSettings();
    UsePlantSettings();
    port.SetActive(true);
    port.SetActive(false);
    const termios after = pty.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

TEST_F(PortTest, DefaultLineSettingsLeaveTheDeviceAloneButSetTheCharacters)
{
    termios t = pty.SlaveSettings();
    cfsetospeed(&t, B9600);
    cfsetispeed(&t, B9600);
    // A pseudo-terminal holds 8 data bits and no parity; bit rate and stop bits show.
    t.c_cflag |= CSTOPB;
    t.c_cc[VSTART] = 1;
    t.c_cc[VSTOP] = 2;
    pty.SetSlaveSettings(t);

    port.SetActive(true);
    const termios now = pty.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&now), B9600);
    EXPECT_NE(now.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(now.c_cc[VSTART], 17);
    EXPECT_EQ(now.c_cc[VSTOP], 19);
}

TEST_F(PortTest, EmptyOptionsSwitchEveryOptionOff)
{
    termios t = pty.SlaveSettings();
    t.c_iflag |= INPCK;
    t.c_cflag |= CRTSCTS;
    pty.SetSlaveSettings(t);
    port.SetActive(true);
    const termios now = pty.SlaveSettings();
    EXPECT_EQ(now.c_iflag & INPCK, 0u);
    EXPECT_EQ(now.c_cflag & CRTSCTS, 0u);
}

TEST_F(PortTest, ChangingALineSettingWhileOpenAppliesItAtOnce)
{
    port.SetActive(true);
    port.SetBaudRate(br19200);
    port.SetStopBits(sb2);
    const termios t = pty.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST_F(PortTest, ARateTheDriverCannotTakeFailsTheOpenAndLeavesItClosed)
{
    port.SetBaudRate(br128000);
    bool afterOpen = false;
    port.SetAfterOpen([&](TCustomComPort*) { afterOpen = true; });
    try {
        port.SetActive(true);
        FAIL() << "opened";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode, EINVAL);
        EXPECT_STREQ(e.what(), std::strerror(EINVAL));
    }
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(afterOpen);
}

TEST_F(PortTest, AMissingDeviceFailsWithTheSystemMessage)
{
    port.SetDeviceName("/dev/zelt-no-such-device");
    bool afterOpen = false;
    port.SetAfterOpen([&](TCustomComPort*) { afterOpen = true; });
    try {
        port.SetActive(true);
        FAIL() << "opened";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode, ENOENT);
        EXPECT_STREQ(e.what(), "No such file or directory");
    }
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(afterOpen);
}

TEST_F(PortTest, ASecondOpenOfTheSameDeviceFailsAndTheFirstKeepsWorking)
{
    port.SetActive(true);
    tcomport2 second;
    second.SetDeviceName(port.DeviceName());
    try {
        second.SetActive(true);
        FAIL() << "opened twice";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode, EBUSY);
        EXPECT_STREQ(e.what(), "Device or resource busy");
    }
    EXPECT_FALSE(second.Active());
    port.WriteText("ok");
    EXPECT_EQ(pty.Receive(2), "ok");

    // Once the first lets go, the device can be opened again.
    port.SetActive(false);
    second.SetActive(true);
    EXPECT_TRUE(second.Active());
}

TEST_F(PortTest, AnotherProcessCannotOpenTheDeviceEither)
{
    port.SetActive(true);
    const pid_t child = fork();
    if (child == 0) {
        int fd = -1;
        termios saved {};
        _exit(comdev::OpenDevice(pty.SlavePath(), fd, saved));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EBUSY);
}

// Operations that need an open or a closed port, and the message each gives.
TEST_F(PortTest, OperationsCheckTheStateOfThePort)
{
    const std::string closed = "Can't perform this operation on a closed port";
    const std::string open = "Can't perform this operation on an open port";
    char buffer[4];
    std::string text;
    const struct {
        const char* name;
        bool whenOpen;
        std::function<void()> op;
        std::string message;
    } cases[] = {
        {"Read", false, [&] { port.Read(buffer, 4, false); }, closed},
        {"Write", false, [&] { port.Write("x", 1, false); }, closed},
        {"WriteText", false, [&] { port.WriteText("x"); }, closed},
        {"ReadAvailable", false, [&] { port.ReadAvailable(text); }, closed},
        {"ModemStatus", false, [&] { port.ModemStatus(); }, closed},
        {"BytesWaiting", false, [&] { port.BytesWaiting(); }, closed},
        {"DeviceName", true, [&] { port.SetDeviceName("COM2"); }, open},
        {"SynchronizeEvents", true, [&] { port.SetSynchronizeEvents(false); }, open},
        {"PriorityClass", true, [&] { port.SetPriorityClass(pcHigh); }, open},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.SetActive(c.whenOpen);
        try {
            c.op();
            ADD_FAILURE() << "no error";
        } catch (const EComError& e) {
            EXPECT_EQ(e.what(), c.message);
            EXPECT_EQ(e.ErrorCode, 0);
        }
    }
    EXPECT_EQ(port.DeviceName().toStdString(), pty.SlavePath());
    EXPECT_TRUE(port.SynchronizeEvents());
    EXPECT_EQ(port.PriorityClass(), pcDefault);
}

TEST_F(PortTest, ReadOnAClosedPortRaisesNoBeforeRead)
{
    int beforeRead = 0;
    port.SetBeforeRead([&](QObject*, const char*, int, bool) { ++beforeRead; });
    char buffer[1];
    EXPECT_THROW(port.Read(buffer, 1, true), EComError);
    EXPECT_EQ(beforeRead, 0);
}

TEST_F(PortTest, OnErrorSeesEveryErrorAndCanTurnItIntoASilentAbort)
{
    int seen = 0;
    std::string message;
    port.SetOnError([&](TCustomComPort* sender, const EComError& e, TComAction& action) {
        EXPECT_EQ(sender, &port);
        EXPECT_EQ(action, caFail);
        ++seen;
        message = e.what();
        action = caAbort;
    });
    EXPECT_THROW(port.WriteText("x"), EAbort);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(message, "Can't perform this operation on a closed port");

    port.SetDeviceName("/dev/zelt-no-such-device");
    EXPECT_THROW(port.SetActive(true), EAbort);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(message, "No such file or directory");
}

TEST_F(PortTest, ModemStatusOfAPseudoTerminalIsEmpty)
{
    port.SetActive(true);
    EXPECT_TRUE(port.ModemStatus().empty());
}

} // namespace
} // namespace zelt::test
