#include "protocol/ApplyMask.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(ApplyMask, EachBoxHasItsBitAndTheDigitIsUpperCase)
{
    struct Case {
        bool b1, b2, b4, b8;
        char digit;
    };
    const Case cases[] = {
        {false, false, false, false, '0'}, {true, false, false, false, '1'}, {false, true, false, false, '2'},
        {false, false, true, false, '4'},  {false, false, false, true, '8'}, {true, true, true, false, '7'},
        {false, true, true, true, 'E'},    {true, false, true, true, 'D'},   {true, true, true, true, 'F'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyMaskDigit(c.b1, c.b2, c.b4, c.b8), c.digit) << c.b1 << c.b2 << c.b4 << c.b8;
}

} // namespace
} // namespace zelt

namespace zelt {
namespace {

TEST(ApplyMask, RunsOfBoxesPackFourToADigitInFieldOrder)
{
    EXPECT_EQ(ApplyMaskDigits({true, false, false, false, false, true, true, true}), "1E");
    EXPECT_EQ(ApplyMaskDigits({true, true, true}), "7");
    EXPECT_EQ(ApplyMaskDigits({}), "");
}

} // namespace
} // namespace zelt
