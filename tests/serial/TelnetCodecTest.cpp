#include "serial/TelnetCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelt {
namespace {

const std::string IAC = "\xff", WILL = "\xfb", WONT = "\xfc", DO = "\xfd", DONT = "\xfe", SB = "\xfa", SE = "\xf0";
const std::string BINARY(1, '\0'), SGA = "\x03", COMPORT = "\x2c", ECHO = "\x01";

std::string Answer(char command, const std::string& value)
{
    return IAC + SB + COMPORT + std::string(1, command) + value + IAC + SE;
}

// The server's half of a complete handshake, with every setting confirmed.
std::string Agreement()
{
    return IAC + DO + BINARY + IAC + WILL + BINARY + IAC + DO + COMPORT + Answer('\x65', std::string("\0\0\xe1\0", 4)) +
           Answer('\x66', "\x08") + Answer('\x67', "\x01") + Answer('\x68', "\x01") + Answer('\x69', "\x01");
}

// Our answer to the server's request for our signature.
std::string Signature()
{
    return IAC + SB + COMPORT + std::string(1, '\0') + "zelt6380 " + ZELT_VERSION + IAC + SE;
}

const std::string kSettings = IAC + SB + COMPORT + "\x01" + std::string("\0\0\xe1\0", 4) + IAC + SE + IAC + SB +
                              COMPORT + "\x02\x08" + IAC + SE + IAC + SB + COMPORT + "\x03\x01" + IAC + SE + IAC + SB +
                              COMPORT + "\x04\x01" + IAC + SE + IAC + SB + COMPORT + "\x05\x01" + IAC + SE;

struct Case {
    const char* name;
    std::vector<std::string> reads; // the server's bytes, read by read
    std::string payload;
    std::string replies;
    bool ready;
    std::string failure;
};

TEST(TelnetCodecTest, DecodesServerBytesReadByRead)
{
    const std::string agreement = Agreement();
    const Case cases[] = {
        {"escaped IAC split across reads", {"a" + IAC, IAC + "b"}, "a\xff" "b", "", false, ""},
        {"command split across reads", {"x" + IAC, WILL, ECHO + "y"}, "xy", IAC + DONT + ECHO, false, ""},
        {"unknown option refused", {IAC + DO + ECHO}, "", IAC + WONT + ECHO, false, ""},
        {"our own offer is not answered again", {IAC + DO + BINARY + IAC + DO + BINARY}, "", "", false, ""},
        {"COM port agreed sends the settings", {IAC + DO + COMPORT}, "", kSettings, false, ""},
        {"notifications are skipped",
         {"1" + IAC + SB + COMPORT + "\x6b\xff", "\xff" + IAC + SE + "2" + IAC + SB + COMPORT + "\x6a\x60" + IAC + SE},
         "12",
         "",
         false,
         ""},
        {"full handshake", {agreement.substr(0, 7), agreement.substr(7)}, "", kSettings, true, ""},
        {"baud rate answered otherwise",
         {Answer('\x65', std::string("\0\0\x25\x80", 4))},
         "",
         "",
         false,
         "The terminal server refused the baud rate 57600 (it answered 9600)"},
        {"binary refused", {IAC + DONT + BINARY}, "", "", false, "The terminal server refused binary transmission"},
        {"COM port refused", {IAC + DONT + COMPORT}, "", "", false,
         "The terminal server refused the COM port control option"},
        {"go-ahead refused is no failure", {IAC + WONT + SGA}, "", "", false, ""},
        {"a command inside a subnegotiation ends it and counts whole",
         {IAC + SB + COMPORT + "\x6b" + IAC + WILL + ECHO + "A"}, "A", IAC + DONT + ECHO, false, ""},
        {"a subnegotiation ended by one starts afresh",
         {IAC + SB + COMPORT + "\x6b" + IAC + SB + COMPORT + "\x64" + IAC + SE + "B"}, "B", Signature(), false, ""},
        {"a repeated WILL is answered once", {IAC + WONT + SGA + IAC + WILL + SGA + IAC + WILL + SGA}, "",
         IAC + DO + SGA, false, ""},
        {"a repeated DO is answered once", {IAC + DONT + SGA + IAC + DO + SGA + IAC + DO + SGA}, "", IAC + WILL + SGA,
         false, ""},
        {"an agreed WILL is not answered", {IAC + WILL + BINARY + IAC + WILL + BINARY}, "", "", false, ""},
        {"the signature request is answered", {IAC + SB + COMPORT + "\x64" + IAC + SE}, "", Signature(), false, ""},
        {"the server's own signature is not", {IAC + SB + COMPORT + "\x64" + "ser2net" + IAC + SE}, "", "", false, ""},
        {"a 256-byte subnegotiation is read",
         {Answer('\x65', std::string(250, '\0') + std::string("\0\0\x25\x80", 4))}, "", "", false,
         "The terminal server refused the baud rate 57600 (it answered 9600)"},
        {"an escaped IAC in a subnegotiation is one byte", {Answer('\x65', std::string("\0\0\xff\xff\0", 5))}, "", "",
         false, "The terminal server refused the baud rate 57600 (it answered 65280)"},
        {"a longer one is dropped", {Answer('\x65', std::string(251, '\0') + std::string("\0\0\x25\x80", 4))}, "",
         "", false, ""},
        {"binary turned off once ready", {agreement, IAC + DONT + BINARY}, "", kSettings + IAC + WONT + BINARY, false,
         "The terminal server turned off binary transmission"},
        {"binary turned off by the server once ready", {agreement, IAC + WONT + BINARY}, "",
         kSettings + IAC + DONT + BINARY, false, "The terminal server turned off binary transmission"},
        {"COM port turned off once ready", {agreement + IAC + DONT + COMPORT + "x"}, "x",
         kSettings + IAC + WONT + COMPORT, false, "The terminal server turned off the COM port control option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetCodec codec;
        EXPECT_EQ(codec.Start(), IAC + WILL + BINARY + IAC + WILL + SGA + IAC + WILL + COMPORT + IAC + DO + BINARY + IAC +
                                     DO + SGA);
        std::string payload, replies;
        for (const std::string& read : c.reads)
            codec.Decode(read, payload, replies);
        EXPECT_EQ(payload, c.payload);
        EXPECT_EQ(replies, c.replies);
        EXPECT_EQ(codec.Ready(), c.ready);
        EXPECT_EQ(codec.Failure(), c.failure);
    }
}

TEST(TelnetCodecTest, EscapesEveryIacOfThePayloadAndSendsNopAsACommand)
{
    EXPECT_EQ(TelnetCodec::Nop(), IAC + "\xf1");
    EXPECT_EQ(TelnetCodec::Escape(std::string("\x02\xff\x11\xff\xff\x03", 6)),
              std::string("\x02\xff\xff\x11\xff\xff\xff\xff\x03", 9));
}

} // namespace
} // namespace zelt
