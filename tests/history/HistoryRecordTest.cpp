// The 'H' record's texts in the grid: one record read column by column, and
// the alarm digits bit by bit against the column table.

#include "HistoryFixture.h"

#include "history/HistoryRecord.h"
#include "protocol/FieldText.h"

#include <set>

using namespace zelt;
using namespace zelt::test;

namespace {

std::string Body(const HRecord& r)
{
    return EncodeFrame("H" + r.Payload()).substr(2);
}

} // namespace

TEST(HistoryRecord, MeasurementColumnsShowTheFieldsAsReceived)
{
    HRecord r;
    r.number = "017";
    const auto texts = HistoryMeasurementTexts(Body(r), ReadHistoryHead(Body(r)).number);
    const std::array<std::string, 11> expected{"17",      "2026/01/30", "23:59:07", "53.5 V ", "043 A ",  "-038 A ",
                                               "025.4 C ", "25.0 V ",   "25.1 V ",  "25.2 V ", "24.9 V "};
    EXPECT_EQ(texts, expected);
}

struct AlarmCase {
    const char* digits;
    std::set<int> faults; // columns showing F
    const char* units;    // column 19
};

class AlarmColumns : public ::testing::TestWithParam<AlarmCase> {};

TEST_P(AlarmColumns, EachBitReachesItsColumn)
{
    HRecord r;
    r.alarms = GetParam().digits;
    const auto texts = HistoryAlarmTexts(Body(r));
    for (int column = 11; column < HistoryColumns; ++column) {
        if (column == 19)
            continue;
        EXPECT_EQ(texts[static_cast<std::size_t>(column - 11)], GetParam().faults.count(column) ? "F" : "N")
            << "column " << column << " " << HistoryColumnTable[static_cast<std::size_t>(column)].title;
    }
    EXPECT_EQ(texts[19 - 11], GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    Digits, AlarmColumns,
    ::testing::Values(AlarmCase{"13000000", {11, 15, 16}, "N   N   N   N"},
                      AlarmCase{"00002000", {35}, "N   N   N   N"},
                      AlarmCase{"00001000", {20}, "N   N   N   N"},
                      AlarmCase{"0000C000", {21, 22}, "N   N   N   N"},
                      AlarmCase{"0010F000", {20, 21, 22, 35}, "F   N   N   N"},
                      AlarmCase{"00A00000", {}, "N   F   N   F"},
                      AlarmCase{"000F0000", {}, "N   N   N   N"},
                      AlarmCase{"00000123", {23, 28, 31, 32}, "N   N   N   N"},
                      AlarmCase{"8400fedc", {14, 17, 20, 21, 22, 24, 25, 26, 27, 29, 30, 33, 34, 35}, "N   N   N   N"},
                      AlarmCase{"FFFFFFFF", {11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29,
                                             30, 31, 32, 33, 34, 35},
                                "F   F   F   F"}));

TEST(HistoryRecord, MalformedFieldsThrowTheConversionMessage)
{
    HRecord r;
    r.alarms = "0000000G";
    try {
        HistoryAlarmTexts(Body(r));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'$G' is not a valid integer value");
    }
    for (auto bad : {&HRecord::status, &HRecord::number}) {
        HRecord h;
        h.*bad = h.*bad == "0" ? "x" : "0x1";
        EXPECT_THROW(ReadHistoryHead(Body(h)), EConvertError);
    }
    // A short record meets its ETX among the alarm digits.
    EXPECT_THROW(HistoryAlarmTexts(Body(HRecord{}).substr(0, 40)), EConvertError);
}
