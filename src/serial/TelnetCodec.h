#pragma once

// The Telnet side of a line reached through a terminal server with the COM
// port control option: option negotiation, the remote port's line settings
// (57600 bit/s, 8 data bits, no parity, 1 stop bit, no flow control) and the
// IAC escaping of the byte stream. A plain state machine over byte strings:
// the caller moves the bytes.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

class TelnetCodec {
public:
    // Our offers, sent first: BINARY and SUPPRESS-GO-AHEAD both ways, and
    // the COM port control option from our side.
    std::string Start();

    // Decodes bytes from the server, which may stop anywhere (inside a
    // command or an escaped IAC): payload gets the data bytes, replies what
    // must be sent back (answers to options, the line settings).
    void Decode(std::string_view raw, std::string& payload, std::string& replies);

    // Payload as it goes on the wire: every 0xFF doubled.
    static std::string Escape(std::string_view payload);
    // The wire length of one payload byte.
    static int WireLength(char byte) { return static_cast<unsigned char>(byte) == 0xFF ? 2 : 1; }

    // A keep-alive for an idle line: IAC NOP, which the server drops.
    static std::string Nop();

    // Every option agreed and every line setting confirmed.
    bool Ready() const;
    // What the server refused or, once ready, turned off, for the error
    // message; empty while all is well.
    const std::string& Failure() const { return failure_; }

    // Longest subnegotiation kept; a longer one is dropped whole.
    static constexpr std::size_t kMaxSub = 256;

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    struct Option {
        bool requested = false; // we asked and wait for the answer
        bool enabled = false;
    };

    void HandleCommand(std::uint8_t byte, std::string& payload);
    void HandleOption(std::uint8_t verb, std::uint8_t option, std::string& replies);
    void HandleSub(std::string& replies);
    void AddSubByte(char byte);
    void SendSettings(std::string& replies);
    void Refused(const std::string& what);
    void Lost(std::uint8_t option, bool wasReady);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::string sub_;
    bool subTooLong_ = false;
    std::array<Option, 256> local_ {};  // options on our side (WILL / WONT)
    std::array<Option, 256> remote_ {}; // options on the server's side (DO / DONT)
    unsigned confirmed_ = 0;            // one bit per line setting answered as asked
    std::string failure_;
};

} // namespace zelt
