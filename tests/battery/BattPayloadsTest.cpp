#include "battery/BattPayloads.h"

#include "protocol/FieldText.h"

#include <gtest/gtest.h>

using namespace zelt;

namespace {

TEST(Pad3, ThreeDigitsOfTheValueModulo1000)
{
    const std::pair<const char*, const char*> cases[] = {
        {"7", "007"}, {"45", "045"}, {"100", "100"}, {"1234", "234"}, {"0", "000"}, {"085", "085"}, {"-5", "005"}};
    for (const auto& [text, padded] : cases)
        EXPECT_EQ(Pad3(text), padded) << text;
    EXPECT_THROW(Pad3("12a"), EConvertError);
}

BattSetValues Degraded()
{
    BattSetValues v;
    v.lastDate = "2014/12/31";
    v.intervalIndex = 1;
    v.typeIndex = 0;
    v.strings = 1;
    v.previous = "100";
    v.latest = "85";
    v.percentRated = "98";
    v.verdict = 2;
    return v;
}

TEST(BattSetPayload, FieldsInOrder)
{
    EXPECT_EQ(BattSetPayload(Degraded()), "2014123121100085210980");
    BattSetValues v = Degraded();
    v.lastDate = "2015-01-02";
    v.intervalIndex = 0;
    v.typeIndex = 1;
    v.previous = "";
    v.latest = "1234";
    v.percentRated = "";
    v.verdict = 3;
    v.strings = 2;
    v.manualMessage = true;
    EXPECT_EQ(BattSetPayload(v), "2015010212000234320001");
}

TEST(BattSetPayload, NoStringsSendsTwentyOneZerosWhateverElse)
{
    BattSetValues v = Degraded();
    v.strings = 0;
    v.lastDate = "None";
    v.latest = "abc";
    EXPECT_EQ(BattSetPayload(v), std::string(21, '0'));
}

TEST(BattSetPayload, RefusedWithoutDateSelectionOrWithANegativeCapacity)
{
    const std::function<void(BattSetValues&)> faults[] = {
        [](BattSetValues& v) { v.lastDate = ""; },      [](BattSetValues& v) { v.lastDate = "None"; },
        [](BattSetValues& v) { v.intervalIndex = -1; }, [](BattSetValues& v) { v.typeIndex = -1; },
        [](BattSetValues& v) { v.strings = -1; },       [](BattSetValues& v) { v.previous = "-5"; },
    };
    for (const auto& fault : faults) {
        BattSetValues v = Degraded();
        fault(v);
        EXPECT_EQ(BattSetPayload(v), std::nullopt);
    }
}

TEST(BattSetPayload, CapacityThatIsNoNumberIsAConversionError)
{
    BattSetValues v = Degraded();
    v.percentRated = "9x";
    try {
        BattSetPayload(v);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'9x' is not a valid integer value");
    }
}

TEST(ChargePayload, ProgramAndOptionsDigits)
{
    struct Case {
        std::array<bool, 4> rows;
        bool comp;
        int tempComp;
        const char* payload;
    };
    const Case cases[] = {
        {{true, false, false, false}, true, 1, "15"},   {{false, false, true, false}, false, 0, "42"},
        {{false, false, false, false}, false, 0, "02"}, {{false, false, false, true}, false, 1, "84"},
        {{false, true, false, false}, false, -1, "20"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChargePayload({c.rows, c.comp, c.tempComp}), c.payload) << c.payload;
}

TEST(ClockPayload, FourteenDigitsOrNothing)
{
    EXPECT_EQ(ClockPayload({2024, 7, 5, 8, 9, 3}), "20240705080903");
    EXPECT_EQ(ClockPayload({2024, 12, 31, 23, 59, 59}), "20241231235959");
    EXPECT_EQ(ClockPayload({std::nullopt, 7, 5, 8, 9, 3}), "");
    EXPECT_EQ(ClockPayload({2024, 7, 0, 8, 9, 3}), "");
    EXPECT_EQ(ClockPayload({2024, 123, 5, 8, 9, 3}), "");
}

} // namespace
