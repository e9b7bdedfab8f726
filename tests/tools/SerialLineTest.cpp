// The line set-up: raw 57600 8N1 on a pseudo-terminal and on a device path.

#include "sim/SerialLine.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace zelt::sim {
namespace {

void ExpectRaw57600(int fd)
{
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(SerialLine, PseudoTerminalIsRaw)
{
    PtyPair pty;
    EXPECT_EQ(pty.slavePath().rfind("/dev/pts/", 0), 0u) << pty.slavePath();
    ExpectRaw57600(pty.slave());
    // Bytes pass unchanged both ways, line ends and control bytes included.
    const std::string bytes("\x02O1\r\n\x03\x11\x13", 8);
    ASSERT_EQ(write(pty.master(), bytes.data(), bytes.size()), 8);
    char got[16] = {};
    ASSERT_EQ(read(pty.slave(), got, sizeof got), 8);
    EXPECT_EQ(std::string(got, 8), bytes);
}

TEST(SerialLine, DevicePathOpensRawOrExplains)
{
    PtyPair pty;
    const int fd = OpenSerialDevice(pty.slavePath());
    ExpectRaw57600(fd);
    close(fd);

    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    for (const std::string& path : {plain.fileName().toStdString(), std::string("/nonexistent/ttyUSB9")}) {
        try {
            close(OpenSerialDevice(path));
            ADD_FAILURE() << path << " opened";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace zelt::sim
