#include "battery/BattPayloads.h"

#include "protocol/ApplyMask.h"
#include "protocol/FieldText.h"

namespace zelt {

namespace {

std::optional<std::string> CapacityField(const std::string& text)
{
    if (text.empty())
        return "000";
    if (StrToInt(text) < 0)
        return std::nullopt;
    return Pad3(text);
}

bool IsIndex(int index, int count)
{
    return index >= 0 && index < count;
}

// ZeroFill of a part that must come out exactly width characters long.
std::optional<std::string> Part(const std::optional<std::int32_t>& value, int width)
{
    if (!value)
        return std::nullopt;
    std::string text = ZeroFill(*value, width);
    if (text.size() != static_cast<std::size_t>(width))
        return std::nullopt;
    return text;
}

} // namespace

std::string Pad3(std::string_view text)
{
    const std::int32_t value = StrToInt(text) % 1000;
    // A negative value stays three characters: its magnitude, modulo 1000.
    return ZeroFill(value < 0 ? -value : value, 3);
}

std::optional<std::string> BattSetPayload(const BattSetValues& v)
{
    if (v.strings == 0)
        return std::string(21, '0');
    const bool hasDate = !v.lastDate.empty() && v.lastDate != "None";
    if (!hasDate || !IsIndex(v.strings, 3) || !IsIndex(v.intervalIndex, 2) || !IsIndex(v.typeIndex, 2)
        || v.verdict < 0 || v.verdict > 3)
        return std::nullopt;
    const auto previous = CapacityField(v.previous);
    const auto latest = CapacityField(v.latest);
    const auto percent = CapacityField(v.percentRated);
    if (!previous || !latest || !percent)
        return std::nullopt;
    const std::string& d = v.lastDate;
    const std::string date = d.substr(0, 4) + (d.size() > 5 ? d.substr(5, 2) : "") + (d.size() > 8 ? d.substr(8, 2) : "");
    if (date.size() != 8)
        return std::nullopt;
    return date + std::to_string(v.intervalIndex + 1) + std::to_string(v.typeIndex + 1) + *previous + *latest
         + std::to_string(v.verdict) + std::to_string(v.strings) + *percent + (v.manualMessage ? "1" : "0");
}

std::string ChargePayload(const ChargeSelection& s)
{
    const char program = ApplyMaskDigit(s.rows[0], s.rows[1], s.rows[2], s.rows[3]);
    const char options = ApplyMaskDigit(s.compensation, s.tempCompIndex == 0, s.tempCompIndex == 1, false);
    return {program, options};
}

std::string ClockPayload(const DateTimeParts& p)
{
    const auto year = Part(p.year, 4);
    const auto month = Part(p.month, 2);
    const auto day = p.day && *p.day != 0 ? Part(p.day, 2) : std::nullopt;
    const auto hour = Part(p.hour, 2);
    const auto minute = Part(p.minute, 2);
    const auto second = Part(p.second, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return {};
    return *year + *month + *day + *hour + *minute + *second;
}

} // namespace zelt
