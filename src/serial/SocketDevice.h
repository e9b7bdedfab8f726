#pragma once

// A connected TCP socket as the port's device: a raw byte stream, or a
// Telnet session with the COM port control option whose payload is decoded
// into a buffer of its own. Socket calls never block and never raise SIGPIPE;
// a close by the far end, a reset or a timeout makes the device lost.
//
// Input is bounded: no more than kBufferLimit payload bytes wait for the
// reader; beyond that the socket is left unread and TCP slows the sender.
// A peer sending far faster than the serial line behind it can, a silent raw
// line, or a Telnet server turning off what the line needs ends the line
// with an error of its own (LostReason).

#include "serial/ComDevice.h"
#include "serial/TelnetCodec.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace zelt {

// What a server says in plain text, for an error message: its words parted
// by one blank, up to kMax characters. A byte that is neither printable
// ASCII nor a blank (tab, line end) makes it data, which says nothing.
class ServerWords {
public:
    static constexpr std::size_t kMax = 200;
    void Add(std::string_view bytes);
    // The words without blanks at either end; empty for data.
    std::string Text() const;

private:
    std::string words_;
    bool data_ = false;
};

// The times a socket device keeps.
struct SocketTiming {
    std::chrono::steady_clock::time_point connectedAt = std::chrono::steady_clock::now();
    // Telnet line: a NOP after this long without sending anything.
    std::chrono::milliseconds nopInterval {5000};
    // Raw line: no byte for this long ends it; zero never does.
    std::chrono::milliseconds silenceLimit {30000};
};

class SocketDevice : public ComDevice {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kBufferLimit = 64 * 1024;
    // 57600 bit/s of 8N1 characters.
    static constexpr std::size_t kLineBytesPerSecond = 5760;
    static constexpr std::size_t kFloodFactor = 20;
    static constexpr int kFloodSeconds = 5;

    using Timing = SocketTiming;

    // Takes over fd (connected, non-blocking); telnet is null on a raw line.
    SocketDevice(int fd, std::unique_ptr<TelnetCodec> telnet, const Timing& timing = {});
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
    std::string LostReason() override;
    int Service(int& nextMs) override;

private:
    // Takes one chunk of at most limit wire bytes from the socket into the
    // payload buffer, sending what the Telnet side answers; false when
    // nothing came. Caller holds mutex_.
    bool PullChunk(std::size_t limit);
    // Pulls until wanted payload bytes wait or the socket has no more, the
    // lock taken for one chunk at a time.
    void PullUpTo(std::size_t wanted);
    // Counts wire bytes taken at now; ends the line when they came faster
    // than the line carries for kFloodSeconds seconds in a row.
    void CountArrival(std::size_t bytes, Clock::time_point now);
    // Ends the line for a reason of our own; the event thread sees the
    // socket hung up.
    void EndLine(const std::string& reason);
    // The error of a close by the far end, with what the server said when
    // it closed within the first second.
    void Closed(int error);
    // Sends what is left of earlier output; true when nothing is left.
    bool Flush();

    std::mutex mutex_;
    const int fd_;
    std::unique_ptr<TelnetCodec> telnet_;
    const Timing timing_;
    std::string payload_; // decoded input not yet read
    std::string unsent_;  // wire bytes taken but not yet sent: Telnet answers, half an escaped IAC
    int lost_ = 0;        // why the connection ended, once it has
    std::string reason_;  // our own words for it, when the system's would mislead
    ServerWords words_;   // what the server said in its first second
    Clock::time_point lastSent_;
    Clock::time_point lastByte_;
    Clock::time_point secondStart_; // of the current second of arrivals
    std::size_t secondBytes_ = 0;
    int fastSeconds_ = 0; // seconds in a row above the flood rate, before the current one
    termios settings_ {};
};

} // namespace zelt
