#pragma once

// The device layer of the serial port component: the few operating-system
// operations the component needs, over POSIX termios, non-blocking descriptors,
// poll and ioctl, and the device interface (ComDevice) through which the
// component reaches a tty or a network socket. Every function returns 0 or
// the errno of the failure; none throws, so the component decides how each
// failure is raised.

#include "serial/ComPort.h"

#include <poll.h>
#include <string>
#include <termios.h>

namespace zelt::comdev {

// The error of a failing system call: the system's message text and errno.
EComError SystemError(int error);

// Opens path for reading and writing, unshared (a second opener, in this
// process or another, gets EBUSY), non-blocking, in raw mode with VMIN=VTIME=0.
// saved receives the device's settings from before, for CloseDevice.
int OpenDevice(const std::string& path, int& fd, termios& saved);
// Gives the device its saved settings back and its sharing, and closes fd.
void CloseDevice(int fd, const termios& saved);

int GetSettings(int fd, termios& settings);
int SetSettings(int fd, const termios& settings);

int PurgeInput(int fd);
int PurgeOutput(int fd);
int InputCount(int fd, int& count);
int OutputCount(int fd, int& count);

// Reads or writes what the descriptor takes now; done = 0 when it would block.
int ReadSome(int fd, char* buffer, int length, int& done);
int WriteSome(int fd, const char* buffer, int length, int& done);
// Waits up to timeoutMs (-1 = no limit) until fd is ready for events; ready
// tells whether it is. A hung-up device fails with EIO.
int WaitReady(int fd, short events, int timeoutMs, bool& ready);
// One poll() of entry, repeated when a signal interrupts it; returns the
// errno or 0, with count the number of ready entries.
int PollOnce(pollfd& entry, int timeoutMs, int& count);

// The modem lines (TIOCM_* bits). Devices without modem lines, such as
// pseudo-terminals, fail with ENOTTY or EINVAL.
int GetModemLines(int fd, int& lines);
int SetModemLine(int fd, int line, bool on);
bool NoModemLines(int error);

// The driver's counters of breaks and line errors.
struct LineCounters {
    int breaks = 0;
    int frame = 0;
    int overrun = 0;
    int parity = 0;
    int bufferOverrun = 0;
};
int GetLineCounters(int fd, LineCounters& counters);
// The line errors that the counters show between before and after.
TLineErrors LineErrorsBetween(const LineCounters& before, const LineCounters& after);

// Nice values of the calling process (tid 0) or of one thread.
int GetPriority(int tid, int& nice);
int SetPriority(int tid, int nice);
int CurrentThreadId();

} // namespace zelt::comdev

namespace zelt {

// An open device of the port component: a tty, or a socket to a terminal
// server. Its input is payload: on a Telnet line, the bytes left after
// decoding, so a count or a read never includes negotiation. InputCount,
// OutputCount, GetModemLines, GetLineCounters and LostError may be called by
// the event thread while the main thread transfers.
class ComDevice {
public:
    enum class Kind { Tty, Socket };

    virtual ~ComDevice() = default;
    virtual Kind DeviceKind() const = 0;
    // The descriptor to wait on: readable when payload may have arrived.
    virtual int Handle() const = 0;

    virtual int InputCount(int& count) = 0;
    virtual int OutputCount(int& count) = 0;
    // What the device takes or gives now; done = 0 when it would block.
    virtual int ReadSome(char* buffer, int length, int& done) = 0;
    virtual int WriteSome(const char* buffer, int length, int& done) = 0;
    // As comdev::WaitReady; payload already decoded counts as readable.
    virtual int WaitReady(short events, int timeoutMs, bool& ready) = 0;
    virtual int PurgeInput() = 0;
    virtual int PurgeOutput() = 0;

    virtual int GetSettings(termios& settings) = 0;
    virtual int SetSettings(const termios& settings) = 0;
    virtual int GetModemLines(int& lines) = 0;
    virtual int SetModemLine(int line, bool on) = 0;
    virtual int GetLineCounters(comdev::LineCounters& counters) = 0;
    // Why the device has gone away, once a wait reported a hang-up.
    virtual int LostError() = 0;
    // The device's own words for that, where the system's message would
    // mislead; empty otherwise.
    virtual std::string LostReason() { return {}; }
    // Upkeep of an open device, called by the event thread at every turn:
    // an error when the device has ended the line; nextMs is when it wants
    // the next call (-1: no need).
    virtual int Service(int& nextMs)
    {
        nextMs = -1;
        return 0;
    }
};

} // namespace zelt
