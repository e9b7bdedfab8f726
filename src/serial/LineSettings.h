#pragma once

// The port's line settings as plain data, and how they map onto termios.

#include "serial/ComPort.h"

#include <termios.h>

namespace zelt {

struct LineSettings {
    std::int32_t bitRate = 0; // 0 = leave the device's bit rate
    TDataBits dataBits = dbDefault;
    TParity parity = paDefault;
    TStopBits stopBits = sbDefault;
    TRTSControl rts = rcDefault;
    TXOnXOffControl xonXoff = xcDefault;
    TOptions options;
    char xon = 17;
    char xoff = 19;
    char eof = 0;
};

// The bit rate a TBaudRate names; 0 for brDefault and brCustom.
std::int32_t BaudRateValue(TBaudRate rate);

// Replaces in t what the settings ask for; returns 0, or EINVAL for a value
// the tty driver cannot take (a bit rate without a termios speed, 4 data bits).
int ApplyLineSettings(termios& t, const LineSettings& settings);

} // namespace zelt
