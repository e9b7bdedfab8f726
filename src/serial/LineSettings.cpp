#include "serial/LineSettings.h"

#include <cerrno>

namespace zelt {

namespace {

struct SpeedEntry {
    std::int32_t bitRate;
    speed_t speed;
};

// The rates the tty driver has a speed constant for.
constexpr SpeedEntry kSpeeds[] = {
    {50, B50},       {75, B75},       {110, B110},       {150, B150},       {300, B300},
    {600, B600},     {1200, B1200},   {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},   {19200, B19200}, {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

constexpr std::int32_t kBaudValues[] = {0,     50,    75,    110,   150,   300,    600,    1200,   1800,
                                        2000,  2400,  3600,  4800,  7200,  9600,   10400,  14400,  15625,
                                        19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000, 0};

static_assert(sizeof(kBaudValues) / sizeof(kBaudValues[0]) == brCustom + 1);

void SetFlag(tcflag_t& flags, tcflag_t flag, bool on)
{
    flags = on ? (flags | flag) : (flags & ~flag);
}

} // namespace

std::int32_t BaudRateValue(TBaudRate rate)
{
    return kBaudValues[rate];
}

int ApplyLineSettings(termios& t, const LineSettings& s)
{
    if (s.bitRate != 0) {
        const SpeedEntry* entry = nullptr;
        for (const SpeedEntry& e : kSpeeds)
            if (e.bitRate == s.bitRate)
                entry = &e;
        if (entry == nullptr)
            return EINVAL;
        cfsetispeed(&t, entry->speed);
        cfsetospeed(&t, entry->speed);
    }
    if (s.dataBits != dbDefault) {
        if (s.dataBits == db4)
            return EINVAL;
        constexpr tcflag_t sizes[] = {0, 0, CS5, CS6, CS7, CS8};
        t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | sizes[s.dataBits];
    }
    if (s.parity != paDefault) {
        SetFlag(t.c_cflag, PARENB, s.parity != paNone);
        SetFlag(t.c_cflag, PARODD, s.parity == paOdd || s.parity == paMark);
        // Mark and space parity: the parity bit sticks at PARODD's value.
        SetFlag(t.c_cflag, CMSPAR, s.parity == paMark || s.parity == paSpace);
    }
    // With 5 data bits, two stop bits are sent as 1.5 by the usual UARTs.
    if (s.stopBits != sbDefault)
        SetFlag(t.c_cflag, CSTOPB, s.stopBits != sb1);

    t.c_cc[VSTART] = static_cast<cc_t>(s.xon);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoff);
    t.c_cc[VEOF] = static_cast<cc_t>(s.eof);

    if (s.xonXoff != xcDefault) {
        SetFlag(t.c_iflag, IXOFF, s.xonXoff == xcInput || s.xonXoff == xcInputOutput);
        SetFlag(t.c_iflag, IXON, s.xonXoff == xcOutput || s.xonXoff == xcInputOutput);
    }

    // The tty driver has one hardware handshake for both directions: RTS
    // handshake on input and CTS flow on output both ask for it. DSR flow,
    // DSR sensitivity, continue-on-XOFF, the error character, dropping NUL
    // bytes and abort-on-error have no counterpart in the tty driver.
    SetFlag(t.c_cflag, CRTSCTS, s.rts == rcHandshake || s.options.count(opOutputCTSFlow) != 0);
    SetFlag(t.c_iflag, INPCK, s.options.count(opCheckParity) != 0);
    return 0;
}

} // namespace zelt
