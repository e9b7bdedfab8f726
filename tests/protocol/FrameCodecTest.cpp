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
        do {
            if (rx.FrameReady == 1) {
                rx.FrameReady = 0;
                if (rx.CutFrame())
                    out.push_back({rx.RxType, rx.RxBody});
            }
        } while (rx.NextFrame());
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

// Each frame of a read is dispatched as if it had arrived alone: its body
// ends with its own ETX and checksum.
TEST(FrameCodec, EveryFrameOfAReadIsDispatchedByItself)
{
    const std::string r = EncodeFrame("R123"), k = EncodeFrame("K45"), u = EncodeFrame("U6");
    const std::string bad = Bytes({0x02, 0x4C, 0x03, 0x4D});
    struct Case { const char* name; std::vector<std::string> reads; std::string types; };
    const std::vector<Case> cases = {
        {"three in one read", {r + k + u}, "RKU"},
        {"noise between them", {r + "\x03zz" + k + "\x01" + u}, "RKU"},
        {"bad one between good ones", {r + bad + u}, "RU"},
        {"end of one and start of the next", {r.substr(0, 3), r.substr(3) + k.substr(0, 2), k.substr(2) + u}, "RKU"},
        {"checksum and next frame in one read", {r.substr(0, r.size() - 1), r.substr(r.size() - 1) + k}, "RK"},
    };
    for (const auto& c : cases) {
        FrameReceiver rx;
        const auto got = Receive(rx, c.reads);
        std::string types;
        for (const auto& frame : got) {
            types += frame.type;
            const std::string alone = EncodeFrame(std::string(1, frame.type) + frame.body.substr(0, frame.body.size() - 2));
            EXPECT_EQ(alone.substr(2), frame.body) << c.name << " " << frame.type;
        }
        EXPECT_EQ(types, c.types) << c.name;
    }
}

TEST(FrameCodec, FramesWaitInArrivalOrderUntilTaken)
{
    FrameReceiver rx;
    rx.Assemble(EncodeFrame("O1") + EncodeFrame("N0"));
    ASSERT_EQ(rx.FrameReady, 1);
    ASSERT_TRUE(rx.CutFrame());
    EXPECT_EQ(rx.RxType, 'O');
    rx.FrameReady = 0;
    // A frame not yet taken is not overwritten by the next read.
    rx.Assemble(EncodeFrame("T1"));
    ASSERT_TRUE(rx.CutFrame());
    EXPECT_EQ(rx.RxType, 'N');
    ASSERT_TRUE(rx.NextFrame() && rx.CutFrame());
    EXPECT_EQ(rx.RxType, 'T');
    EXPECT_FALSE(rx.NextFrame());
    rx.Assemble(EncodeFrame("O1") + EncodeFrame("N0"));
    rx.Reset();
    EXPECT_FALSE(rx.NextFrame());
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
