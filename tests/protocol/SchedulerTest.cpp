#include "protocol/Scheduler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace zelt;

namespace {

// Plays the main window: records what each tick sends.
struct RecordingLink : SchedulerLink {
    std::vector<std::string> sent;
    int historySteps = 0;
    int clockSent = 0;
    bool failWrites = false;

    void SendFrame(const std::string& body) override
    {
        if (failWrites)
            throw std::runtime_error("Can't perform this operation on a closed port");
        sent.push_back(body);
    }
    void HistoryStep() override { ++historySteps; }
    void ClockSent() override { ++clockSent; }
};

void Ticks(RequestScheduler& s, SchedulerLink& link, int n)
{
    for (int i = 0; i < n; ++i)
        s.Tick(link);
}

} // namespace

TEST(Scheduler, EachCommandKindIsSentOnceWithItsLetterAndPayload)
{
    struct Case {
        std::uint8_t kind;
        const char* expected;
    };
    const Case cases[] = {
        {KindNetwork, "Jpay"}, {KindSystem, "Opay"},       {KindMeasure, "Mpay"}, {KindClock, "Tpay"},
        {KindAlarm, "Npay"},   {KindCharge, "Cpay"},       {KindHistoryClear, "Ipay"},
        {KindBattSet, "Gpay"}, {KindBattLoad, "L"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        RequestScheduler s;
        RecordingLink link;
        s.PostCommand(c.kind, "pay");
        Ticks(s, link, 30);
        EXPECT_EQ(link.sent, std::vector<std::string>{c.expected});
        EXPECT_EQ(link.clockSent, c.kind == KindClock ? 1 : 0);
    }
}

TEST(Scheduler, PostCommandStoresThePayloadTheKindReads)
{
    RequestScheduler s;
    s.PostCommand(KindSystem, "S");
    s.PostCommand(KindAlarm, "C");
    s.PostCommand(KindClock, "T");
    s.PostCommand(KindBattLoad, "ignored");
    EXPECT_EQ(s.SettingPayload, "S");
    EXPECT_EQ(s.ControlPayload, "C");
    EXPECT_EQ(s.ClockPayload, "T");
    EXPECT_EQ(s.RequestKind, KindBattLoad);
    EXPECT_EQ(s.ReplyCountdown, 3);
    EXPECT_EQ(s.SendPermit, 1);
}

TEST(Scheduler, UnansweredCommandFallsBackToIdleAtTheThirdTick)
{
    for (const std::uint8_t kind : {KindNetwork, KindSystem, KindMeasure, KindClock, KindAlarm, KindCharge,
                                    KindHistoryClear, KindBattSet, KindBattLoad}) {
        SCOPED_TRACE(int(kind));
        RequestScheduler s;
        RecordingLink link;
        s.PostCommand(kind, "1");
        for (const std::uint8_t expected : {kind, kind, KindIdle, KindIdle}) {
            s.Tick(link);
            EXPECT_EQ(s.RequestKind, expected);
        }
    }
    RequestScheduler s;
    RecordingLink link;
    s.PostCommand(KindSystem, "123");
    Ticks(s, link, 4);
    EXPECT_EQ(link.sent, std::vector<std::string>{"O123"});
    // The permit comes back only after the one-byte countdown has wrapped.
    EXPECT_EQ(s.SendPermit, 0);
    EXPECT_EQ(s.ReplyCountdown, 255);
    Ticks(s, link, 254);
    EXPECT_EQ(s.SendPermit, 0);
    s.Tick(link);
    EXPECT_EQ(s.SendPermit, 1);
    EXPECT_EQ(link.sent.size(), 1u);
}

TEST(Scheduler, IdlePermitCyclesEveryThreeTicks)
{
    RequestScheduler s;
    RecordingLink link;
    const std::uint8_t permitAfterTick[] = {0, 0, 1, 0, 0, 1};
    for (const auto expected : permitAfterTick) {
        s.Tick(link);
        EXPECT_EQ(s.SendPermit, expected);
    }
    EXPECT_TRUE(link.sent.empty());
}

TEST(Scheduler, AcknowledgementByFirstCharacter)
{
    struct Case {
        const char* body;
        const char* line; // nullptr: nothing happens
    };
    const Case cases[] = {
        {"1\x03\x31", AckSuccessLine}, {"0", AckFailLine}, {"10", AckSuccessLine},
        {"2", nullptr},                {"\x03O", nullptr}, {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        RequestScheduler s;
        RecordingLink link;
        s.PostCommand(KindSystem, "x");
        s.Tick(link);
        const char* line = s.HandleSettingAck(c.body);
        if (c.line == nullptr) {
            EXPECT_EQ(line, nullptr);
            EXPECT_EQ(s.RequestKind, KindSystem);
            EXPECT_EQ(s.SendPermit, 0);
        } else {
            EXPECT_STREQ(line, c.line);
            EXPECT_EQ(s.RequestKind, KindIdle);
            EXPECT_EQ(s.SendPermit, 1);
        }
    }
}

TEST(Scheduler, LateAcknowledgementStillLogsAndEndsAHistoryRetrieval)
{
    RequestScheduler s;
    RecordingLink link;
    s.PostCommand(KindSystem, "x");
    Ticks(s, link, 5);
    ASSERT_EQ(s.RequestKind, KindIdle);
    EXPECT_STREQ(s.HandleSettingAck("1"), AckSuccessLine);
    EXPECT_EQ(s.SendPermit, 1);

    s.PostCommand(KindHistory);
    s.Tick(link);
    EXPECT_STREQ(s.HandleSettingAck("0"), AckFailLine);
    EXPECT_EQ(s.RequestKind, KindIdle);
}

TEST(Scheduler, TwoPostsBeforeOneTickSendOnlyTheLater)
{
    RequestScheduler s;
    RecordingLink link;
    s.PostCommand(KindSystem, "first");
    s.PostCommand(KindAlarm, "second");
    Ticks(s, link, 10);
    EXPECT_EQ(link.sent, std::vector<std::string>{"Nsecond"});
}

TEST(Scheduler, QuietKindFreezesEveryCounter)
{
    RequestScheduler s;
    RecordingLink link;
    s.SettingPayload = "x";
    s.Pause();
    s.Tick(link); // uses up the permit of start-up
    const RequestScheduler frozen = s;
    Ticks(s, link, 1000);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(s.RequestKind, KindQuiet);
    EXPECT_EQ(s.SendPermit, frozen.SendPermit);
    EXPECT_EQ(s.ReplyCountdown, frozen.ReplyCountdown);
    EXPECT_EQ(s.HistoryCountdown, frozen.HistoryCountdown);

    s.Release();
    EXPECT_EQ(s.RequestKind, KindIdle);
    EXPECT_EQ(s.SendPermit, 1);
}

TEST(Scheduler, ClosingAPausingWindowReleasesOnlyAQuietLine)
{
    RequestScheduler quiet;
    quiet.Pause();
    quiet.SendPermit = 0;
    quiet.ReleaseIfQuiet();
    EXPECT_EQ(quiet.RequestKind, KindIdle);
    EXPECT_EQ(quiet.SendPermit, 1);

    RequestScheduler armed;
    armed.PostCommand(KindMeasure, "x");
    armed.SendPermit = 0;
    armed.ReleaseIfQuiet();
    EXPECT_EQ(armed.RequestKind, KindMeasure);
    EXPECT_EQ(armed.SendPermit, 0);
}

TEST(Scheduler, UnpostedKindsMoveNoCounter)
{
    for (const std::uint8_t kind : {19, 21, 25, 30, 35, 255}) {
        SCOPED_TRACE(int(kind));
        RequestScheduler s;
        RecordingLink link;
        s.RequestKind = kind;
        s.SendPermit = 0;
        s.ReplyCountdown = 1;
        s.HistoryCountdown = 1;
        Ticks(s, link, 10);
        EXPECT_EQ(s.RequestKind, kind);
        EXPECT_EQ(s.ReplyCountdown, 1);
        EXPECT_EQ(s.HistoryCountdown, 1);
        EXPECT_TRUE(link.sent.empty());
    }
}

TEST(Scheduler, HistoryStepEveryThirdTickCountingPolls)
{
    RequestScheduler s;
    RecordingLink link;
    s.PostCommand(KindHistory);
    for (int tick = 1; tick <= 12; ++tick) {
        s.Tick(link);
        const int expected = (tick + 2) / 3; // steps at ticks 1, 4, 7, 10
        EXPECT_EQ(link.historySteps, expected) << "tick " << tick;
        EXPECT_EQ(s.HistoryPollCount, expected) << "tick " << tick;
    }
    EXPECT_EQ(s.RequestKind, KindHistory);
    EXPECT_TRUE(link.sent.empty());
}

TEST(Scheduler, FailedSendIsNotRepeatedAndTheKindExpires)
{
    RequestScheduler s;
    RecordingLink link;
    link.failWrites = true;
    s.PostCommand(KindSystem, "x");
    EXPECT_THROW(s.Tick(link), std::runtime_error);
    EXPECT_EQ(s.SendPermit, 0);
    link.failWrites = false;
    Ticks(s, link, 3);
    EXPECT_EQ(s.RequestKind, KindIdle);
    EXPECT_TRUE(link.sent.empty());
}
