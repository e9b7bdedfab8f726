// The fake controller over a real pseudo-terminal, the test playing the
// console on the slave side.

#include "SlaveSide.h"

#include "sim/Records.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelt::sim {
namespace {

using test::SlaveSide;

// An 'O' payload with this float voltage and only its apply bit set.
std::string FloatSetting(const std::string& floatVolt)
{
    return floatVolt + "565" "032" "0" "0" "1" "000" "000" "000" "000" "420" "005" "000" "000" "1" "000" "060" "440" "440"
         + "10000";
}

std::string FloatEcho(const std::string& rBody)
{
    return rBody.substr(1 + 34, 3); // letter, then positions 35 to 37
}

TEST(FakeController, AnswersTheBattTestRequest)
{
    SlaveSide line;
    line.controller->plant().battTest = {"20141231", 2, 1, 100, 85, 2, 1, 98, 0};
    line.writeFrame("L");
    const auto& frames = line.waitFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].checksumOk);
    EXPECT_EQ(frames[0].body, "L201412312110008521");
    EXPECT_EQ(line.controller->receivedBodies(), std::vector<std::string>{"L"});
}

TEST(FakeController, AcknowledgesAndEchoesASetting)
{
    SlaveSide line;
    const std::string payload = FloatSetting("545");
    line.writeFrame("O" + payload);
    ASSERT_EQ(line.waitFrames(1).size(), 1u);
    EXPECT_EQ(line.frames[0].body, "O1");
    EXPECT_EQ(line.controller->receivedBodies(), std::vector<std::string>{"O" + payload});

    line.controller->pushNow();
    const auto& frames = line.waitFrames(4);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[1].body[0], 'R');
    EXPECT_EQ(FloatEcho(frames[1].body), "545");
    EXPECT_EQ(frames[2].body[0], 'K');
    EXPECT_EQ(frames[3].body[0], 'U');
    for (const ReadFrame& f : frames)
        EXPECT_TRUE(f.checksumOk) << f.body;
}

TEST(FakeController, RefusesAValueOutOfRange)
{
    SlaveSide line;
    line.writeFrame("O" + FloatSetting("600"));
    ASSERT_EQ(line.waitFrames(1).size(), 1u);
    EXPECT_EQ(line.frames[0].body, "O0");
    EXPECT_EQ(line.controller->plant().settings.floatVolt, 535);
}

TEST(FakeController, NakAndSilentScenarios)
{
    Scenario nak;
    nak.nak = true;
    SlaveSide refusing(nak);
    refusing.writeFrame("I1");
    ASSERT_EQ(refusing.waitFrames(1).size(), 1u);
    EXPECT_EQ(refusing.frames[0].body, "I0");
    EXPECT_EQ(refusing.controller->plant().history.size(), 25u);

    Scenario silent;
    silent.silent = true;
    SlaveSide quiet(silent);
    quiet.writeFrame("I1");
    quiet.writeFrame("L");
    // The 'L' answer comes; no acknowledgement comes before or after it.
    ASSERT_EQ(quiet.waitFrames(1).size(), 1u);
    EXPECT_EQ(quiet.collectFor(200).size(), 1u);
    EXPECT_EQ(quiet.frames[0].body[0], 'L');
    EXPECT_EQ(quiet.controller->receivedBodies().size(), 2u);
}

TEST(FakeController, HistoryPagingEndsWithTheLastRecordBit)
{
    SlaveSide line;
    for (int row = 1; row <= 26; ++row)
        line.writeFrame("H" + std::string(row < 10 ? "00" : "0") + std::to_string(row));
    const auto& frames = line.waitFrames(25);
    EXPECT_EQ(line.collectFor(150).size(), 25u); // H026 has no record and no answer
    ASSERT_EQ(frames.size(), 25u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::string& body = frames[i].body;
        ASSERT_EQ(body.size(), 53u);
        EXPECT_EQ(body[0], 'H');
        EXPECT_EQ(body.substr(2, 3), (i + 1 < 10 ? "00" : "0") + std::to_string(i + 1));
        EXPECT_EQ(body[1], i == 24 ? '8' : '0') << "record " << i + 1;
    }
    // Oldest first, time stamps rising.
    EXPECT_LT(frames[0].body.substr(5, 14), frames[24].body.substr(5, 14));
}

TEST(FakeController, HistoryFallsSilentFromTheGivenRecord)
{
    Scenario scenario;
    scenario.historySilentFrom = 3;
    SlaveSide line(scenario);
    for (const char* request : {"H001", "H002", "H003", "H004", "H002"})
        line.writeFrame(request);
    const auto& frames = line.waitFrames(3);
    EXPECT_EQ(line.collectFor(150).size(), 3u);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].body.substr(2, 3), "002");
}

TEST(FakeController, HistoryOfNothingAnswersNothing)
{
    Scenario none;
    none.historyCount = 0;
    SlaveSide line(none);
    line.writeFrame("H001");
    line.writeFrame("H");
    EXPECT_TRUE(line.collectFor(150).empty());
    EXPECT_EQ(line.controller->receivedBodies().size(), 2u);
}

TEST(FakeController, ClearedHistoryAnswersNothing)
{
    SlaveSide line;
    line.writeFrame("I1");
    ASSERT_EQ(line.waitFrames(1).size(), 1u);
    line.writeFrame("H001");
    EXPECT_EQ(line.collectFor(150).size(), 1u);
}

TEST(FakeController, DropsBadFramesAndKeepsBackToBackOnes)
{
    SlaveSide line;
    std::string bad = EncodeFrame("L");
    bad.back() = 0;
    // Noise, a bad frame, then two good requests in one write.
    line.writeBytes("zz\x03" + bad + EncodeFrame("L") + EncodeFrame("H001"));
    const auto& frames = line.waitFrames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].body[0], 'L');
    EXPECT_EQ(frames[1].body[0], 'H');
    EXPECT_EQ(line.controller->receivedBodies(), (std::vector<std::string>{"L", "H001"}));
}

TEST(FakeController, PushesAtItsRateUntilStopped)
{
    Scenario fast;
    fast.rate = 5;
    SlaveSide line(fast);
    line.controller->startPushing();
    EXPECT_TRUE(line.controller->isPushing());
    ASSERT_GE(line.waitFrames(9).size(), 9u);
    line.controller->stopPushing();
    zelt::test::WaitUntil([&] { return line.controller->outputIdle(); });
    const std::size_t count = line.collectFor(50).size();
    EXPECT_EQ(line.collectFor(250).size(), count);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(line.frames[i].body[0], "RKU"[i % 3]);
}

TEST(FakeController, NoiseLeavesTheRecordsIntact)
{
    Scenario noisy;
    noisy.noise = true;
    SlaveSide line(noisy);
    line.controller->pushNow();
    const auto& frames = line.waitFrames(4);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_FALSE(frames[0].checksumOk);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(frames[i].checksumOk);
        EXPECT_EQ(frames[i].body[0], "RKU"[i - 1]);
    }
    EXPECT_EQ(line.controller->sentBodies().size(), 3u);
}

TEST(FakeController, RecordsLeaveBackToBackAndAllReachTheConsoleAssembler)
{
    SlaveSide line;
    line.controller->pushNow();
    line.writeFrame("L");
    FrameReceiver console;
    std::string types;
    std::size_t reads = 0;
    zelt::test::WaitUntil([&] {
        char buffer[1024];
        const ssize_t n = ::read(line.pty.slave(), buffer, sizeof buffer);
        if (n > 0) {
            ++reads;
            console.Assemble(std::string_view(buffer, static_cast<std::size_t>(n)));
            do {
                if (console.FrameReady && console.CutFrame()) {
                    console.FrameReady = 0;
                    types += console.RxType;
                }
            } while (console.NextFrame());
        }
        return types.size() >= 4;
    }, 2000);
    EXPECT_EQ(types, "RKUL");
    // No gap between the frames of a record set: they arrive in fewer reads than frames.
    EXPECT_LT(reads, 4u);
}

TEST(FakeController, AnswersGoAheadOfWaitingRecords)
{
    SlaveSide line;
    // Nobody reads the line until it is full and records wait.
    for (int i = 0; i < 1000 && line.controller->outputIdle(); ++i)
        line.controller->pushNow();
    ASSERT_FALSE(line.controller->outputIdle());
    for (int i = 0; i < 3; ++i)
        line.controller->pushNow();
    line.writeFrame("L");
    ASSERT_TRUE(zelt::test::WaitUntil([&] { return !line.controller->receivedBodies().empty(); }));
    const auto& frames = line.collectFor(300);
    const auto answer = std::find_if(frames.begin(), frames.end(), [](const ReadFrame& f) { return f.body[0] == 'L'; });
    ASSERT_NE(answer, frames.end());
    EXPECT_GT(frames.end() - answer, 9); // the three record sets that waited follow the answer
}

TEST(FakeController, HistoryRequestsTakeThreeDigitsOnly)
{
    SlaveSide line;
    for (const char* bad : {"H01", "H0001", "H+01", "H$01", "H 01"})
        line.writeFrame(bad);
    EXPECT_TRUE(line.collectFor(150).empty());
    EXPECT_EQ(line.controller->receivedBodies().size(), 5u);
}

TEST(FakeController, LogsEveryFrameBothWays)
{
    SlaveSide line;
    std::vector<std::string> lines;
    line.controller->setLogSink([&](const std::string& l) { lines.push_back(l); });
    line.writeFrame("T20240705080903");
    ASSERT_EQ(line.waitFrames(1).size(), 1u);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" <- T 20240705080903"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" -> T 1"), std::string::npos) << lines[1];
}

// Records dropped while nobody reads the line are reported once, until the
// line is read again.
TEST(FakeController, SaysNobodyReadsTheLineOncePerEpisode)
{
    SlaveSide line;
    int said = 0;
    line.controller->setLogSink([&](const std::string& l) { said += l.find("nobody reads the line") != std::string::npos; });
    for (int episode = 1; episode <= 2; ++episode) {
        for (int i = 0; i < 300; ++i)
            line.controller->pushNow();
        EXPECT_EQ(said, episode);
        line.collectFor(200);
        ASSERT_TRUE(line.controller->outputIdle());
    }
}

} // namespace
} // namespace zelt::sim
