#include "StatusFixture.h"

#include "protocol/FieldText.h"
#include "status/StatusListener.h"

using namespace zelt;
using namespace zelt::test;

namespace {

// Keeps a copy of what it last received and counts the calls.
struct Capture : StatusListener {
    StatusSnapshot last;
    int rectifier = 0;
    int alarms = 0;
    void RectifierDecoded(const StatusSnapshot& s) override { last = s, ++rectifier; }
    void AlarmsDecoded(const StatusSnapshot& s) override { last = s, ++alarms; }
};

class StatusListening : public StatusFixture {
protected:
    Capture capture;
    void SetUp() override { monitor.SetListener(&capture); }
};

TEST_F(StatusListening, RectifierRecordArrivesAsNumbers)
{
    RRecord r;
    r.battSign = "-";
    r.battAmp = "047";
    r.temp1Sign = "-";
    r.manual = "1";
    R(r);
    ASSERT_EQ(capture.rectifier, 1);
    const StatusSnapshot& s = capture.last;
    EXPECT_EQ(s.DcVolt, 535);
    EXPECT_EQ(s.LoadCurrent, 12);
    EXPECT_EQ(SignedBattCurrent(s), -47);
    EXPECT_EQ(s.Batt1Temp, -235);
    EXPECT_EQ(s.RackTemp, -52);
    EXPECT_EQ(s.BlockVolt, (std::array<std::int32_t, 4>{130, 131, 132, 133}));
    EXPECT_EQ(s.Mac, "0011223344AA");
    EXPECT_EQ(s.ControllerDate, "20240315");
    EXPECT_EQ(s.ControllerTime, "123045");
    EXPECT_EQ(s.DischargeTestOn, 1);
    EXPECT_EQ(s.ManualTestActive, 1);
    EXPECT_EQ(s.DischargeAbortVolt, 450);
}

TEST_F(StatusListening, HeadThatDoesNotConvertIsNotPassedOn)
{
    RRecord r;
    r.bank2R = "1x3";
    EXPECT_THROW(R(r), EConvertError);
    EXPECT_EQ(capture.rectifier, 0);
}

TEST_F(StatusListening, AcFailureFollowsTheAlarmRecord)
{
    // Both AC groups in (K12 C); K7 bit 3 is the upper group's failure, K8
    // bit 0 the lower's, K13 bit 0 the AC-fail contact.
    const std::pair<const char*, bool> cases[] = {
        {"00000000F1FC00", false}, {"00000080F1FC00", true}, {"00000001F1FC00", true},
        {"00000000F1FC10", true},  {"00000080F1F000", false}, // upper group out: no alarm
    };
    for (const auto& [digits, failed] : cases) {
        K(digits);
        EXPECT_EQ(AcFailAlarm(capture.last), failed) << digits;
    }
    EXPECT_EQ(capture.alarms, 5);
    U(URecord{});
    EXPECT_EQ(capture.alarms, 6);
}

} // namespace
