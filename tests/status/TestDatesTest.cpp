#include "status/TestDates.h"

#include "protocol/FieldText.h"

#include <gtest/gtest.h>

using namespace zelt;

namespace {

TEST(NextTestDate, AddsTheIntervalAndFallsBackToThe28th)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"20230601", "1", "20240601"}, {"20230601", "2", "20250601"}, {"20230601", "3", "20240601"},
        {"20230601", "", "20240601"},  {"20240229", "1", "20250228"}, {"20240229", "2", "20260228"},
        {"20230229", "1", "20240229"}, {"20230431", "1", "20240428"}, {"20231231", "1", "20241231"},
        {"00010101", "1", "00020101"}, {"20230100", "1", "20240128"},
        // Century years are leap years only when divisible by 400.
        {"20990229", "1", "21000228"}, {"18990229", "1", "19000228"}, {"19990229", "1", "20000229"},
    };
    for (const auto& [last, interval, next] : cases)
        EXPECT_EQ(NextTestDate(last, interval), next) << last << " " << interval;
}

TEST(NextTestDate, InvalidDatesThrowConversionErrors)
{
    for (const char* bad : {"00000000", "20231301", "20230001", "", "2023", "2023ab01", "99990101"})
        EXPECT_THROW(NextTestDate(bad, "1"), EConvertError) << bad;
}

TEST(DaysUntilTest, CountsWholeDaysOr100WhenDue)
{
    const std::tuple<const char*, const char*, std::int32_t> cases[] = {
        {"20240315", "20240414", 30}, {"20240228", "20240301", 2},   {"20230228", "20230301", 1},
        {"20231231", "20240101", 1},  {"20240315", "20240315", 100}, {"20240316", "20240315", 100},
        {"20240101", "20250101", 366}, {"19991231", "20000301", 61},
        {"21000228", "21000301", 1},   {"19000228", "19000301", 1},
    };
    for (const auto& [today, next, days] : cases)
        EXPECT_EQ(DaysUntilTest(today, next), days) << today << " " << next;
}

TEST(DaysUntilTest, InvalidDatesThrow)
{
    EXPECT_THROW(DaysUntilTest("", "20240101"), EConvertError);
    EXPECT_THROW(DaysUntilTest("20240101", "20240230"), EConvertError);
    try {
        DaysUntilTest("20241301", "20250101");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid argument to date encode");
    }
}

TEST(DashedDate, InsertsTheDashes)
{
    EXPECT_EQ(DashedDate("20240414"), "2024-04-14");
}

} // namespace
