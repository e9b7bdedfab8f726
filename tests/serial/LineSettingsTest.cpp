#include "serial/LineSettings.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace zelt {
namespace {

termios Sample()
{
    termios t {};
    t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS;
    t.c_iflag = INPCK | IXON;
    cfsetispeed(&t, B9600); // the speed lives in c_cflag too
    cfsetospeed(&t, B9600);
    return t;
}

TEST(LineSettings, DefaultsLeaveFramingAloneAndClearTheOptions)
{
    termios t = Sample();
    ASSERT_EQ(ApplyLineSettings(t, LineSettings {}), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(CS7 | PARENB | PARODD | CSTOPB));
    EXPECT_EQ(t.c_iflag & IXON, static_cast<tcflag_t>(IXON)); // xcDefault
    EXPECT_EQ(t.c_iflag & INPCK, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
}

TEST(LineSettings, EachFramingValueMapsToTheTtyFlags)
{
    const struct {
        TDataBits dataBits;
        TParity parity;
        TStopBits stopBits;
        tcflag_t expected; // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
    } cases[] = {
        {db8, paNone, sb1, CS8},
        {db5, paOdd, sb1_5, CS5 | PARENB | PARODD | CSTOPB},
        {db6, paEven, sb2, CS6 | PARENB | CSTOPB},
        {db7, paMark, sb1, CS7 | PARENB | PARODD | CMSPAR},
        {db8, paSpace, sb2, CS8 | PARENB | CMSPAR | CSTOPB},
    };
    for (const auto& c : cases) {
        termios t = Sample();
        LineSettings s;
        s.dataBits = c.dataBits;
        s.parity = c.parity;
        s.stopBits = c.stopBits;
        ASSERT_EQ(ApplyLineSettings(t, s), 0);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), c.expected)
            << c.dataBits << " " << c.parity << " " << c.stopBits;
    }
}

TEST(LineSettings, FlowControlAndOptions)
{
    const struct {
        TRTSControl rts;
        TXOnXOffControl xonXoff;
        TOptions options;
        tcflag_t iflag; // of IXON | IXOFF | INPCK
        bool crtscts;
    } cases[] = {
        {rcDefault, xcDisable, {}, 0, false},
        {rcHandshake, xcInput, {}, IXOFF, true},
        {rcEnable, xcOutput, {opOutputCTSFlow}, IXON, true},
        {rcDisable, xcInputOutput, {opCheckParity, opDiscardNullBytes}, IXON | IXOFF | INPCK, false},
    };
    for (const auto& c : cases) {
        termios t = Sample();
        LineSettings s;
        s.rts = c.rts;
        s.xonXoff = c.xonXoff;
        s.options = c.options;
        ASSERT_EQ(ApplyLineSettings(t, s), 0);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), c.iflag) << c.rts << " " << c.xonXoff;
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.crtscts) << c.rts << " " << c.xonXoff;
    }
}

TEST(LineSettings, RatesWithoutATtySpeedAndFourDataBitsAreRefused)
{
    termios t = Sample();
    LineSettings s;
    s.bitRate = 57600;
    ASSERT_EQ(ApplyLineSettings(t, s), 0);
    EXPECT_EQ(cfgetispeed(&t), B57600);
    for (const std::int32_t rate : {128000, 56000, 14400, 1}) {
        s.bitRate = rate;
        EXPECT_EQ(ApplyLineSettings(t, s), EINVAL) << rate;
    }
    s.bitRate = 0;
    s.dataBits = db4;
    EXPECT_EQ(ApplyLineSettings(t, s), EINVAL);
}

TEST(LineSettings, BaudRateValues)
{
    EXPECT_EQ(BaudRateValue(brDefault), 0);
    EXPECT_EQ(BaudRateValue(br50), 50);
    EXPECT_EQ(BaudRateValue(br15625), 15625);
    EXPECT_EQ(BaudRateValue(br57600), 57600);
    EXPECT_EQ(BaudRateValue(br256000), 256000);
    EXPECT_EQ(BaudRateValue(brCustom), 0);
}

} // namespace
} // namespace zelt
