#include "history/HistoryRecord.h"

#include "protocol/FieldText.h"

namespace zelt {

const std::array<HistoryColumn, HistoryColumns> HistoryColumnTable{{
    {"Ord", 30},    {"DATE", 73},   {"TIME", 54},   {"DC(V)", 46}, {"LC(A)", 44},  {"BC(A)", 42},
    {"BT(C)", 48},  {"BL1(V)", 49}, {"BR1(V)", 48}, {"BL2(V)", 46}, {"BR2(V)", 42}, {"AF", 28},
    {"OV", 26},     {"UV", 25},     {"BE", 26},     {"BR1", 30},   {"BF1", 30},    {"BR2", 30},
    {"BF2", 30},    {"U1/U2/U3/U4", 98}, {"DN", 27}, {"BP", 26},    {"RP", 25},     {"R1", 27},
    {"L1", 26},     {"R2", 26},     {"L2", 27},     {"CMU", 30},   {"DCH", 30},    {"Cfg", 30},
    {"AFU", 30},    {"AFL", 27},    {"B1HT", 37},   {"B1LT", 35},  {"B2HT", 36},   {"B2LT", 36},
}};

namespace {

// Grid column of each bit (0, 1, 2, 3) of the alarm digits d1 to d8; -1 for
// none. d3 is the one joined unit column, d4 is not shown, and bit 1 of d5
// goes to the last column.
constexpr int UnitsColumn = 19;
constexpr std::array<std::array<int, 4>, 8> AlarmBitColumns{{
    {11, 12, 13, 14},
    {15, 16, 17, 18},
    {UnitsColumn, UnitsColumn, UnitsColumn, UnitsColumn},
    {-1, -1, -1, -1},
    {20, 35, 21, 22},
    {23, 24, 25, 26},
    {27, 28, 29, 30},
    {31, 32, 33, 34},
}};

std::string Take(std::string& body, std::size_t width)
{
    std::string head;
    SplitHead(body, width, head);
    return head;
}

// "ddd" in tenths as "dd.d" + unit, the characters as received.
std::string Tenths(std::string field, std::size_t whole, const char* unit)
{
    const std::string head = Take(field, whole);
    return head + "." + field + unit;
}

const char* FaultText(int digit, int bit)
{
    return (digit >> bit & 1) != 0 ? "F" : "N";
}

} // namespace

HistoryHead ReadHistoryHead(const std::string& rxBody)
{
    std::string body = rxBody;
    HistoryHead head;
    head.status = StrToInt(Take(body, 1));
    head.number = StrToInt(Take(body, 3));
    return head;
}

std::array<std::string, 11> HistoryMeasurementTexts(const std::string& rxBody, std::int32_t number)
{
    std::string body = rxBody;
    Take(body, 4); // status digit and record number
    std::array<std::string, 11> texts;
    texts[0] = std::to_string(number);
    const std::string year = Take(body, 4), month = Take(body, 2), day = Take(body, 2);
    texts[1] = year + "/" + month + "/" + day;
    const std::string hour = Take(body, 2), minute = Take(body, 2), second = Take(body, 2);
    texts[2] = hour + ":" + minute + ":" + second;
    texts[3] = Tenths(Take(body, 3), 2, " V ");
    texts[4] = Take(body, 3) + " A ";
    texts[5] = Take(body, 4) + " A ";
    texts[6] = Tenths(Take(body, 4), 3, " C ");
    for (std::size_t column = 7; column <= 10; ++column)
        texts[column] = Tenths(Take(body, 3), 2, " V ");
    return texts;
}

std::array<std::string, HistoryColumns - 11> HistoryAlarmTexts(const std::string& rxBody)
{
    std::string body = rxBody;
    Take(body, 44); // everything before the alarm digits
    std::array<int, 8> digits{};
    for (int& digit : digits)
        digit = StrToInt("$" + Take(body, 1));

    std::array<std::string, HistoryColumns - 11> texts;
    for (std::size_t d = 0; d < digits.size(); ++d) {
        for (int bit = 0; bit < 4; ++bit) {
            const int column = AlarmBitColumns[d][static_cast<std::size_t>(bit)];
            if (column < 0)
                continue;
            std::string& text = texts[static_cast<std::size_t>(column - 11)];
            if (column == UnitsColumn && bit > 0)
                text += "   ";
            text += FaultText(digits[d], bit);
        }
    }
    return texts;
}

} // namespace zelt
