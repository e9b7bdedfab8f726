#include "serial/TelnetCodec.h"

namespace zelt {

namespace {

constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr std::uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
// COM port commands from the client; the server answers with the same code plus 100.
constexpr std::uint8_t SIGNATURE = 0, SET_BAUDRATE = 1, SET_CONTROL = 5, SERVER_OFFSET = 100;
constexpr std::uint8_t NOP = 241;
// Who we are, when the server asks.
constexpr char kSignature[] = "zelt6380 " ZELT_VERSION;

// The line settings asked of the remote port, by command (SET-BAUDRATE,
// SET-DATASIZE, SET-PARITY, SET-STOPSIZE, SET-CONTROL) and what the error
// calls each.
struct Setting {
    std::uint32_t value;
    const char* name;
};
constexpr Setting kSettings[] = {
    {57600, "the baud rate 57600"},
    {8, "8 data bits"},
    {1, "no parity"},
    {1, "1 stop bit"},
    {1, "no flow control"},
};
constexpr unsigned kAllConfirmed = (1u << std::size(kSettings)) - 1;

// A subnegotiation's data bytes may themselves be IAC, which go doubled.
void AppendSubByte(std::string& out, std::uint8_t byte)
{
    out += static_cast<char>(byte);
    if (byte == IAC)
        out += static_cast<char>(IAC);
}

std::string Command(std::uint8_t verb, std::uint8_t option)
{
    return {static_cast<char>(IAC), static_cast<char>(verb), static_cast<char>(option)};
}

const char* OptionName(std::uint8_t option)
{
    return option == BINARY ? "binary transmission" : "the COM port control option";
}

} // namespace

std::string TelnetCodec::Start()
{
    std::string out;
    for (const std::uint8_t option : {BINARY, SGA, COM_PORT}) {
        local_[option].requested = true;
        out += Command(WILL, option);
    }
    for (const std::uint8_t option : {BINARY, SGA}) {
        remote_[option].requested = true;
        out += Command(DO, option);
    }
    return out;
}

std::string TelnetCodec::Nop()
{
    return {static_cast<char>(IAC), static_cast<char>(NOP)};
}

std::string TelnetCodec::Escape(std::string_view payload)
{
    std::string out;
    out.reserve(payload.size());
    for (const char c : payload) {
        out += c;
        if (static_cast<std::uint8_t>(c) == IAC)
            out += c;
    }
    return out;
}

bool TelnetCodec::Ready() const
{
    return failure_.empty() && local_[BINARY].enabled && remote_[BINARY].enabled && local_[COM_PORT].enabled &&
           confirmed_ == kAllConfirmed;
}

void TelnetCodec::Decode(std::string_view raw, std::string& payload, std::string& replies)
{
    for (const char c : raw) {
        const auto byte = static_cast<std::uint8_t>(c);
        switch (state_) {
        case State::Data:
            if (byte == IAC)
                state_ = State::Command;
            else
                payload += c;
            break;
        case State::Command:
            HandleCommand(byte, payload);
            break;
        case State::Option:
            state_ = State::Data;
            HandleOption(verb_, byte, replies);
            break;
        case State::Sub:
            if (byte == IAC)
                state_ = State::SubCommand;
            else
                AddSubByte(c);
            break;
        case State::SubCommand:
            if (byte == IAC) {
                state_ = State::Sub;
                AddSubByte(c);
            } else if (byte == SE) {
                state_ = State::Data;
                if (!subTooLong_)
                    HandleSub(replies);
            } else {
                // Any other command ends the subnegotiation unprocessed and
                // counts in full, as it would outside.
                HandleCommand(byte, payload);
            }
            break;
        }
    }
}

// The byte after an IAC.
void TelnetCodec::HandleCommand(std::uint8_t byte, std::string& payload)
{
    state_ = State::Data;
    if (byte == IAC) {
        payload += static_cast<char>(byte);
    } else if (byte >= WILL && byte <= DONT) {
        verb_ = byte;
        state_ = State::Option;
    } else if (byte == SB) {
        sub_.clear();
        subTooLong_ = false;
        state_ = State::Sub;
    } // other commands (NOP, GA, DM ...) carry nothing for a binary line
}

// Nothing we read is longer than kMaxSub; a longer one is not ours to read.
void TelnetCodec::AddSubByte(char byte)
{
    if (sub_.size() < kMaxSub)
        sub_ += byte;
    else
        subTooLong_ = true;
}

// Options we want are agreed or, when the server refuses BINARY or the COM
// port option, the line cannot be used; every other option is refused. An
// answer that confirms what is already in force is not answered again.
void TelnetCodec::HandleOption(std::uint8_t verb, std::uint8_t option, std::string& replies)
{
    const bool wasReady = Ready();
    const bool wantLocal = option == BINARY || option == SGA || option == COM_PORT;
    const bool wantRemote = option == BINARY || option == SGA;
    const bool vital = option == BINARY || option == COM_PORT; // go-ahead means nothing on a full-duplex line
    if (verb == DO || verb == DONT) {
        Option& o = local_[option];
        if (verb == DO && wantLocal) {
            if (!o.enabled) {
                if (!o.requested)
                    replies += Command(WILL, option);
                o.enabled = true;
                if (option == COM_PORT)
                    SendSettings(replies);
            }
            o.requested = false;
        } else if (verb == DO) {
            replies += Command(WONT, option);
        } else if (o.enabled || o.requested) {
            if (o.enabled)
                replies += Command(WONT, option);
            o = {};
            if (vital)
                Lost(option, wasReady);
        }
        return;
    }
    Option& o = remote_[option];
    if (verb == WILL && wantRemote) {
        if (!o.enabled && !o.requested)
            replies += Command(DO, option);
        o.enabled = true;
        o.requested = false;
    } else if (verb == WILL) {
        replies += Command(DONT, option);
    } else if (o.enabled || o.requested) {
        if (o.enabled)
            replies += Command(DONT, option);
        o = {};
        if (vital)
            Lost(option, wasReady);
    }
}

void TelnetCodec::SendSettings(std::string& replies)
{
    for (std::uint8_t i = 0; i < std::size(kSettings); ++i) {
        const std::uint8_t command = SET_BAUDRATE + i;
        replies += static_cast<char>(IAC);
        replies += static_cast<char>(SB);
        replies += static_cast<char>(COM_PORT);
        replies += static_cast<char>(command);
        const std::uint32_t value = kSettings[i].value;
        if (command == SET_BAUDRATE)
            for (int shift = 24; shift >= 0; shift -= 8)
                AppendSubByte(replies, static_cast<std::uint8_t>(value >> shift));
        else
            AppendSubByte(replies, static_cast<std::uint8_t>(value));
        replies += static_cast<char>(IAC);
        replies += static_cast<char>(SE);
    }
}

// The server's answers to our line settings, and its request for our
// signature; notifications of line and modem state and everything else of
// the option are not needed.
void TelnetCodec::HandleSub(std::string& replies)
{
    if (sub_.size() < 2 || static_cast<std::uint8_t>(sub_[0]) != COM_PORT)
        return;
    const auto command = static_cast<std::uint8_t>(sub_[1]);
    if (command == SERVER_OFFSET + SIGNATURE && sub_.size() == 2) {
        replies += std::string {static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(COM_PORT),
                                static_cast<char>(SIGNATURE)};
        replies += kSignature;
        replies += std::string {static_cast<char>(IAC), static_cast<char>(SE)};
        return;
    }
    if (sub_.size() < 3 || command < SERVER_OFFSET + SET_BAUDRATE || command > SERVER_OFFSET + SET_CONTROL)
        return;
    const int index = command - SERVER_OFFSET - SET_BAUDRATE;
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < sub_.size(); ++i)
        value = value << 8 | static_cast<std::uint8_t>(sub_[i]);
    if (value == kSettings[index].value)
        confirmed_ |= 1u << index;
    else
        Refused(std::string(kSettings[index].name) + " (it answered " + std::to_string(value) + ")");
}

void TelnetCodec::Refused(const std::string& what)
{
    if (failure_.empty())
        failure_ = "The terminal server refused " + what;
}

// A vital option refused while negotiating, or turned off once the line is up.
void TelnetCodec::Lost(std::uint8_t option, bool wasReady)
{
    if (!wasReady)
        Refused(OptionName(option));
    else if (failure_.empty())
        failure_ = std::string("The terminal server turned off ") + OptionName(option);
}

} // namespace zelt
