#include "battery/BattDates.h"

#include "protocol/FieldText.h"

#include <gtest/gtest.h>

using namespace zelt;

namespace {

TEST(Calendar, LeapYearsAndMonthLengths)
{
    const std::tuple<std::int32_t, bool> years[] = {
        {2023, false}, {2024, true}, {1900, false}, {2000, true}, {2100, false}, {2400, true}};
    for (const auto& [year, leap] : years)
        EXPECT_EQ(IsLeapYear(year), leap) << year;

    const std::tuple<std::int32_t, std::int32_t, std::int32_t> months[] = {
        {2023, 1, 31}, {2023, 2, 28}, {2024, 2, 29}, {2100, 2, 28}, {2000, 2, 29}, {2023, 4, 30},
        {2023, 12, 31}, {2023, 0, 0}, {2023, 13, 0}};
    for (const auto& [year, month, days] : months)
        EXPECT_EQ(DaysInMonth(year, month), days) << year << "-" << month;
}

TEST(Calendar, AddTestYearsFallsBackToThe28th)
{
    struct Case {
        CalendarDate from;
        std::int32_t years;
        const char* to;
    };
    const Case cases[] = {
        {{2014, 12, 31}, 2, "2016-12-31"}, {{2016, 2, 29}, 1, "2017-02-28"}, {{2016, 2, 29}, 2, "2018-02-28"},
        {{2016, 2, 29}, 4, "2020-02-29"},  {{2096, 2, 29}, 4, "2100-02-28"}, {{2023, 4, 31}, 1, "2024-04-28"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DashedText(AddTestYears(c.from, c.years)), c.to) << c.to;
}

TEST(Calendar, AddTestYearsRefusesWhatIsNoDateEvenOnThe28th)
{
    for (const CalendarDate bad : {CalendarDate{2014, 13, 1}, CalendarDate{2014, 0, 5}, CalendarDate{9999, 1, 1}}) {
        try {
            AddTestYears(bad, 1);
            ADD_FAILURE() << bad.month;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date encode");
        }
    }
}

TEST(Calendar, ClampDayKeepsTheDayWithinTheMonth)
{
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {2023, 2, 31, 28}, {2024, 2, 31, 29}, {2100, 2, 31, 28}, {2023, 4, 31, 30}, {2023, 2, 15, 15}};
    for (const auto& [year, month, day, kept] : cases)
        EXPECT_EQ(ClampDay(year, month, day), kept) << year << "-" << month;
}

TEST(PanelDate, ReadByPositionWhateverTheSeparators)
{
    for (const char* text : {"2014/12/31", "2014-12-31", "2014x12y31"}) {
        const CalendarDate d = ReadPanelDate(text);
        EXPECT_EQ(DashedText(d), "2014-12-31") << text;
    }
    EXPECT_THROW(ReadPanelDate("None"), EConvertError);
    EXPECT_THROW(ReadPanelDate(""), EConvertError);
}

TEST(PanelDate, EarlyMeansStrictlyBefore)
{
    EXPECT_TRUE(IsBefore({2024, 5, 30}, {2024, 5, 31}));
    EXPECT_TRUE(IsBefore({2023, 12, 31}, {2024, 1, 1}));
    EXPECT_FALSE(IsBefore({2024, 5, 31}, {2024, 5, 31}));
    EXPECT_FALSE(IsBefore({2024, 6, 1}, {2024, 5, 31}));
}

} // namespace
