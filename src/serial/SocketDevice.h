#pragma once

// A connected TCP socket as the port's device: a raw byte stream, or a
// Telnet session with the COM port control option whose payload is decoded
// into a buffer of its own. Socket calls never block and never raise SIGPIPE;
// a close by the far end, a reset or a timeout makes the device lost.

#include "serial/ComDevice.h"
#include "serial/TelnetCodec.h"

#include <memory>
#include <mutex>
#include <string>

namespace zelt {

class SocketDevice : public ComDevice {
public:
    // Takes over fd (connected, non-blocking); telnet is null on a raw line.
    // payload holds what arrived while the session was negotiated.
    SocketDevice(int fd, std::unique_ptr<TelnetCodec> telnet, std::string payload);
    ~SocketDevice() override;
    SocketDevice(const SocketDevice&) = delete;
    SocketDevice& operator=(const SocketDevice&) = delete;

    Kind DeviceKind() const override { return Kind::Socket; }
    int Handle() const override { return fd_; }
    int InputCount(int& count) override;
    int OutputCount(int& count) override;
    int ReadSome(char* buffer, int length, int& done) override;
    int WriteSome(const char* buffer, int length, int& done) override;
    int WaitReady(short events, int timeoutMs, bool& ready) override;
    int PurgeInput() override;
    int PurgeOutput() override { return 0; } // what the socket took is on its way
    // The remote line's settings are fixed when the session starts; these
    // are kept for the component's reading back only.
    int GetSettings(termios& settings) override;
    int SetSettings(const termios& settings) override;
    int GetModemLines(int& lines) override;
    int SetModemLine(int line, bool on) override;
    int GetLineCounters(comdev::LineCounters& counters) override;
    int LostError() override;

private:
    // Takes up to limit bytes from the socket into the payload buffer,
    // sending what the Telnet side answers. Caller holds mutex_.
    void Pull(std::size_t limit);
    // Sends what is left of earlier output; true when nothing is left.
    bool Flush();

    std::mutex mutex_;
    const int fd_;
    std::unique_ptr<TelnetCodec> telnet_;
    std::string payload_; // decoded input not yet read
    std::string unsent_;  // wire bytes taken but not yet sent: Telnet answers, half an escaped IAC
    int lost_ = 0;        // why the connection ended, once it has
    termios settings_ {};
};

} // namespace zelt
