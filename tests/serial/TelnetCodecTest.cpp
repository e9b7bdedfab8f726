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
        {"notifications are skipped", {"1" + IAC + SB + COMPORT + "\x6b\xff", "\xff" + IAC + SE + "2"}, "12", "", false,
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

TEST(TelnetCodecTest, EscapesEveryIacOfThePayload)
{
    EXPECT_EQ(TelnetCodec::Escape(std::string("\x02\xff\x11\xff\xff\x03", 6)),
              std::string("\x02\xff\xff\x11\xff\xff\xff\xff\x03", 9));
}

} // namespace
} // namespace zelt
