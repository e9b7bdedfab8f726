// The simulator's command line and its log lines.

#include "sim/Options.h"
#include "sim/WireLog.h"

#include <gtest/gtest.h>

namespace zelt::sim {
namespace {

TEST(Options, FlagsCombine)
{
    const SimOptions o = ParseOptions({"--port", "COM3", "--history", "0", "--silent", "--nak", "--alarms",
                                       "--battery-due", "--noise", "--rate", "2.5"});
    EXPECT_EQ(o.port, "COM3");
    EXPECT_EQ(o.scenario.historyCount, 0);
    EXPECT_TRUE(o.scenario.silent && o.scenario.nak && o.scenario.alarms && o.scenario.batteryDue && o.scenario.noise);
    EXPECT_DOUBLE_EQ(o.scenario.rate, 2.5);
    EXPECT_EQ(ParseOptions({"--device", "/dev/ttyUSB0"}).device, "/dev/ttyUSB0");
    EXPECT_EQ(ParseOptions({"--listen", "65535"}).listen, 65535);
    EXPECT_EQ(ParseOptions({"--history-silent-from", "200"}).scenario.historySilentFrom, 200);
    EXPECT_TRUE(ParseOptions({"-h"}).help);
    EXPECT_EQ(ParseOptions({"--battery", "no-strings"}).scenario.battery, BatteryBook::NoStrings);
    const Scenario d = ParseOptions({"--discharge", "20", "--capacity", "80", "--discharge-partial"}).scenario;
    EXPECT_EQ(d.dischargeMinutes, 20);
    EXPECT_EQ(d.capacityPercent, 80);
    EXPECT_TRUE(d.dischargePartial);
    EXPECT_EQ(ParseOptions({"--mac", "00:1a:2B:3c:4D:ff"}).scenario.mac, "001A2B3C4DFF");
    EXPECT_EQ(ParseOptions({}).scenario.mac, "");
}

TEST(Options, Refusals)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--port"}, {"--port", "COM9"}, {"--port", "/dev/pts/1"}, {"--history", "-1"}, {"--history", "201"},
        {"--history", "5x"}, {"--history-silent-from", "0"}, {"--history-silent-from", "201"}, {"--rate", "0"}, {"--rate", "fast"}, {"--rate", "5.5"}, {"--verbose"}, {"--battery", "bad"},
        {"--discharge", "19"}, {"--discharge", "601"}, {"--capacity", "0"}, {"--capacity", "101"},
        {"--port", "COM2", "--device", "/dev/ttyS0"}, {"--listen", "0"}, {"--listen", "65536"},
        {"--port", "COM2", "--listen", "4001"}, {"--mac", "00:1A:2B:3C:4D"}, {"--mac", "00:1A:2B:3C:4D:FF:"},
        {"--mac", "00-1A-2B-3C-4D-FF"}, {"--mac", "00:1A:2B:3C:4D:FG"}, {"--mac", "001A2B3C4DFF"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseOptions(args), std::invalid_argument) << (args.empty() ? "" : args[0]);
}

TEST(WireLog, EscapesWhatIsNotPrintable)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"R535+001", "R535+001"},
        {std::string("\x02L\x03L", 4), "\\x02L\\x03L"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"back\\slash", "back\\x5Cslash"},
        {"\x7F\xFF", "\\x7F\\xFF"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(EscapeBytes(in), out);
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 8, 5, 42));
    EXPECT_EQ(LogLine(when, "->", "O 1"), "09:08:05.042 -> O 1");
}

} // namespace
} // namespace zelt::sim
