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

TEST(ClockPayload, NothingWithAPartMissingOrTooLong)
{
    EXPECT_EQ(ClockPayload({std::nullopt, 7, 5, 8, 9, 3}), "");
    EXPECT_EQ(ClockPayload({2024, 7, 0, 8, 9, 3}), "");
    EXPECT_EQ(ClockPayload({2024, 123, 5, 8, 9, 3}), "");
}

} // namespace
