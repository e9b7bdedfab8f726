#include "protocol/SchedulerDispatch.h"

#include <gtest/gtest.h>

using namespace zelt;

TEST(SchedulerDispatch, RoutesEveryLetter)
{
    for (int c = 0; c < 256; ++c) {
        const char letter = static_cast<char>(c);
        FrameRoute expected = FrameRoute::Ignore;
        if (std::string("CGIMNOSTX").find(letter) != std::string::npos)
            expected = FrameRoute::SettingAck;
        else if (letter == 'H')
            expected = FrameRoute::History;
        else if (letter == 'K')
            expected = FrameRoute::AlarmStatus;
        else if (letter == 'L')
            expected = FrameRoute::BattTestReply;
        else if (letter == 'R')
            expected = FrameRoute::RectifierStatus;
        else if (letter == 'U')
            expected = FrameRoute::UnitStatus;
        EXPECT_EQ(RouteOf(letter), expected) << "letter " << c;
    }
}

TEST(SchedulerDispatch, TakesOnlyAWaitingFrame)
{
    FrameReceiver rx;
    EXPECT_EQ(TakeFrame(rx), FrameRoute::Ignore);

    rx.Assemble(EncodeFrame("O1"));
    ASSERT_EQ(rx.FrameReady, 1);
    EXPECT_EQ(TakeFrame(rx), FrameRoute::SettingAck);
    EXPECT_EQ(rx.FrameReady, 0);
    EXPECT_EQ(rx.RxType, 'O');
    EXPECT_EQ(rx.RxBody.substr(0, 2), "1\x03");
    // Taken once: the same frame is not routed again.
    EXPECT_EQ(TakeFrame(rx), FrameRoute::Ignore);

    rx.Assemble(EncodeFrame("J1"));
    EXPECT_EQ(TakeFrame(rx), FrameRoute::Ignore);
    EXPECT_EQ(rx.RxType, 'J');
}
