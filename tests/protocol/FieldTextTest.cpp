#include "protocol/FieldText.h"

#include <gtest/gtest.h>

using namespace zelt;

TEST(FieldText, ZeroFillPadsWithZerosAndNeverCuts)
{
    struct Case { std::int32_t value; int width; const char* want; };
    for (const Case c : {Case{7, 2, "07"}, {123, 2, "123"}, {0, 3, "000"}, {-5, 4, "00-5"}, {2014, 4, "2014"}})
        EXPECT_EQ(ZeroFill(c.value, c.width), c.want) << c.value << " width " << c.width;
}

TEST(FieldText, SplitHeadTakesFieldsOffTheFront)
{
    std::string text = "12345", head;
    SplitHead(text, 2, head);
    EXPECT_EQ(head, "12");
    EXPECT_EQ(text, "345");
    SplitHead(text, 0, head);
    EXPECT_EQ(head, "");
    EXPECT_EQ(text, "345");
    SplitHead(text, 9, head);
    EXPECT_EQ(head, "345");
    EXPECT_EQ(text, "");
    SplitHead(text, 3, head);
    EXPECT_EQ(head, "");
}

TEST(FieldText, PadNumberByWidth)
{
    struct Case { std::int32_t value; int width; const char* want; };
    for (const Case c : {Case{9, 2, "09"}, {10, 2, "10"}, {100, 2, "100"}, {5, 3, "005"}, {42, 3, "042"},
                         {99, 4, "0099"}, {123, 4, "0123"}, {1000, 4, "1000"}, {-5, 3, "-5"}, {1000, 2, "1000"}})
        EXPECT_EQ(PadNumber(c.value, c.width), c.want) << c.value << " width " << c.width;
}

TEST(FieldText, FormatWholeCutsOnlyOutOfRangeCelsius)
{
    struct Case { std::int32_t value; char unit; const char* want; };
    for (const Case c : {Case{25, 'C', "25  C"}, {12345, 'C', "1234  C"}, {999, 'C', "999  C"}, {-12, 'C', "-12  C"},
                         {7, ' ', "7  "}, {12345, 'V', "12345 V"}, {0, 'V', "0 V"}})
        EXPECT_EQ(FormatWhole(c.value, c.unit), c.want) << c.value;
}

TEST(FieldText, FormatTenthsDecimalPointOnlyInRange)
{
    struct Case { std::int32_t value; char unit; const char* want; };
    for (const Case c : {Case{5, 'V', "0.5 V"}, {9, 'V', "0.9 V"}, {10, 'V', "1.0 V"}, {53, 'V', "5.3 V"},
                         {535, 'V', "53.5 V"}, {999, 'V', "99.9 V"}, {1000, 'V', "1000 V"}, {1234, 'V', "1234 V"},
                         {0, 'V', "0 V"}, {235, 'C', "23.5  C"}, {1234, 'C', "123.4  C"}, {12345, 'C', "123.4  C"}, {-123, 'C', "-12.3  C"},
                         {-5, 'C', "-5.  C"}, {0, 'C', "0.  C"}, {-5, 'A', "-5 A"}})
        EXPECT_EQ(FormatTenths(c.value, c.unit), c.want) << c.value << c.unit;
}

TEST(FieldText, StrToIntAcceptsDecimalAndDollarHex)
{
    struct Case { const char* text; std::int32_t want; };
    for (const Case c : {Case{"0", 0}, {"007", 7}, {"-5", -5}, {"+12", 12}, {"  42", 42}, {"$0A", 10}, {"$ff", 255},
                         {"$7F", 127}, {"-$10", -16}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
                         {"$FFFFFFFF", -1}})
        EXPECT_EQ(StrToInt(c.text), c.want) << c.text;
}

TEST(FieldText, StrToIntRejectsWithTheStandardMessage)
{
    for (const char* text : {"", " ", "-", "$", "$G", "12a", "1 ", "0x10", "2147483648", "-2147483649", "$100000000", "1.5"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}
