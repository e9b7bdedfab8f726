#include "protocol/FrameCodec.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zelt;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (const int v : values)
        s += static_cast<char>(v);
    return s;
}

// Feeds each chunk as one read and records every frame the dispatcher would cut.
struct Dispatched {
    char type;
    std::string body;
};

std::vector<Dispatched> Receive(FrameReceiver& rx, const std::vector<std::string>& reads)
{
    std::vector<Dispatched> out;
    for (const auto& chunk : reads) {
        rx.Assemble(chunk);
        if (rx.FrameReady == 1) {
            rx.FrameReady = 0;
            if (rx.CutFrame())
                out.push_back({rx.RxType, rx.RxBody});
        }
    }
    return out;
}

} // namespace

TEST(FrameCodec, EncodesBodyWithWrappingChecksum)
{
    EXPECT_EQ(EncodeFrame("O123"), Bytes({0x02, 0x4F, 0x31, 0x32, 0x33, 0x03, 0xE5}));
    EXPECT_EQ(EncodeFrame("L"), Bytes({0x02, 0x4C, 0x03, 0x4C}));
    EXPECT_EQ(BodyChecksum("H001"), 0xD9);
    EXPECT_EQ(BodyChecksum(Bytes({0x80, 0x80})), 0x00);
    EXPECT_EQ(BodyChecksum(""), 0);
}

TEST(FrameCodec, DispatchesFramesHoweverSplit)
{
    const std::string ack = Bytes({0x02, 0x4C, 0x03, 0x4C});
    struct Case { const char* name; std::vector<std::string> reads; };
    const std::vector<Case> cases = {
        {"one read", {ack}},
        {"three reads", {ack.substr(0, 2), ack.substr(2, 1), ack.substr(3)}},
        {"byte by byte", {ack.substr(0, 1), ack.substr(1, 1), ack.substr(2, 1), ack.substr(3, 1)}},
        {"noise before", {"AB" + ack}},
        {"noise in earlier read", {"\x03\x03garbage", ack}},
    };
    for (const auto& c : cases) {
        FrameReceiver rx;
        const auto got = Receive(rx, c.reads);
        ASSERT_EQ(got.size(), 1u) << c.name;
        EXPECT_EQ(got[0].type, 'L') << c.name;
        EXPECT_EQ(got[0].body, Bytes({0x03, 0x4C})) << c.name;
    }
}

TEST(FrameCodec, FrameIsReadyOnlyAtTheEndOfTheReadWithItsChecksum)
{
    FrameReceiver rx;
    rx.Assemble(Bytes({0x02, 0x4C}));
    EXPECT_EQ(rx.FrameReady, 0);
    rx.Assemble(Bytes({0x03}));
    EXPECT_EQ(rx.FrameReady, 0);
    rx.Assemble(Bytes({0x4C}));
    EXPECT_EQ(rx.FrameReady, 1);
    EXPECT_EQ(rx.RxState, 0);
}

TEST(FrameCodec, BadChecksumDropsOnlyThatFrame)
{
    const std::string bad = Bytes({0x02, 0x4C, 0x03, 0x4D});
    const std::string good = EncodeFrame("K0123");
    for (const auto& reads : {std::vector<std::string>{bad + good}, std::vector<std::string>{bad, good}}) {
        FrameReceiver rx;
        const auto got = Receive(rx, reads);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].type, 'K');
        EXPECT_EQ(got[0].body.substr(0, 4), "0123");
    }
    FrameReceiver rx;
    EXPECT_TRUE(Receive(rx, {bad}).empty());
}

TEST(FrameCodec, SecondFrameInTheSameReadRidesAlong)
{
    FrameReceiver rx;
    const std::string first = EncodeFrame("O1"), second = EncodeFrame("N1");
    auto got = Receive(rx, {first + second});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, 'O');
    EXPECT_EQ(got[0].body, "1" + first.substr(3) + second);

    // The rest of a frame whose start rode along is dropped at the next STX.
    got = Receive(rx, {first + second.substr(0, 3), second.substr(3), EncodeFrame("T1")});
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, 'O');
    EXPECT_EQ(got[1].type, 'T');
}

TEST(FrameCodec, StxInsideBodyAndLostEtx)
{
    FrameReceiver rx;
    // STX inside a body is a body byte.
    const std::string withStx = EncodeFrame(std::string("R1") + STX + "2");
    auto got = Receive(rx, {withStx});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].body.substr(0, 3), std::string("1") + STX + "2");

    // A lost ETX runs on into the next frame; both drop, the third arrives.
    std::string lost = EncodeFrame("O1");
    lost.erase(3, 1);
    got = Receive(rx, {lost, EncodeFrame("N1"), EncodeFrame("T1")});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, 'T');
}

TEST(FrameCodec, ChecksumByteMayBeStxOrEtx)
{
    for (const int target : {0x02, 0x03, 0x00}) {
        // "A" (0x41) plus one filler byte chosen so that the body sums to target.
        const std::string body = std::string("A") + static_cast<char>((target - 0x41 + 256) % 256);
        FrameReceiver rx;
        const auto got = Receive(rx, {EncodeFrame(body)});
        ASSERT_EQ(got.size(), 1u) << target;
        EXPECT_EQ(static_cast<unsigned char>(got[0].body.back()), target);
    }
}

TEST(FrameCodec, CutKeepsAtMostTheCutLength)
{
    FrameReceiver rx;
    const auto got = Receive(rx, {EncodeFrame("R" + std::string(400, '7'))});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].body.size(), 318u);
}

TEST(FrameCodec, CutKeepsTheLongestStatusRecordWhole)
{
    // 'R' payload with two 9-character communities: 303 characters.
    const std::string payload(303, '1');
    FrameReceiver rx;
    const auto got = Receive(rx, {EncodeFrame("R" + payload)});
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].body.size(), payload.size() + 2);
    EXPECT_EQ(got[0].body.substr(0, payload.size()), payload);
    EXPECT_EQ(got[0].body[payload.size()], ETX);
}

TEST(FrameCodec, EndlessBodyStaysBoundedAndRecovers)
{
    FrameReceiver rx;
    rx.Assemble(std::string(1, STX));
    for (int i = 0; i < 100; ++i)
        rx.Assemble(std::string(1000, 'x'));
    EXPECT_LE(rx.RxBuffer.size(), RxBufferLimit);
    EXPECT_EQ(rx.FrameReady, 0);
    // A checksum byte after the next ETX almost surely fails; the frame after it is received.
    rx.Assemble(std::string(1, ETX) + "\x01");
    const auto got = Receive(rx, {EncodeFrame("U1")});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, 'U');
}

TEST(FrameCodec, ResetKeepsTheBufferForTheNextStx)
{
    FrameReceiver rx;
    rx.Assemble(EncodeFrame("O1"));
    rx.Reset();
    EXPECT_EQ(rx.FrameReady, 0);
    EXPECT_TRUE(rx.RxFrame.empty());
    EXPECT_FALSE(rx.CutFrame());
}
