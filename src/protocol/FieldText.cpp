#include "protocol/FieldText.h"

#include <cctype>
#include <limits>

namespace zelt {

namespace {

[[noreturn]] void ThrowNotInteger(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string UnitSuffix(char unit)
{
    return unit == 'C' ? std::string(" C") : std::string(1, unit);
}

} // namespace

std::int32_t StrToInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const bool hex = i < text.size() && text[i] == '$';
    if (hex)
        ++i;
    if (i == text.size())
        ThrowNotInteger(text);

    // Decimal values must fit a signed 32-bit number; hexadecimal ones may use
    // all 32 bits and are taken as their two's complement value.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull
                                    : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexDigit(text[i]) : (std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : -1);
        if (digit < 0)
            ThrowNotInteger(text);
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit)
            ThrowNotInteger(text);
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (~magnitude + 1) : magnitude);
    return static_cast<std::int32_t>(bits);
}

std::string ZeroFill(std::int32_t value, int width)
{
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

void SplitHead(std::string& text, std::size_t n, std::string& head)
{
    head = text.substr(0, n);
    text.erase(0, n);
}

std::string PadNumber(std::int32_t value, int width)
{
    const std::string digits = std::to_string(value);
    if (value < 0 || value > 999)
        return digits;
    const int zeros = width - static_cast<int>(digits.size());
    return zeros > 0 ? std::string(static_cast<std::size_t>(zeros), '0') + digits : digits;
}

std::string FormatWhole(std::int32_t value, char unit)
{
    std::string digits = std::to_string(value);
    if ((value < 1 || value > 999) && unit == 'C')
        digits = digits.substr(0, 4);
    return digits + " " + UnitSuffix(unit);
}

std::string FormatTenths(std::int32_t value, char unit)
{
    const std::string digits = std::to_string(value);
    const std::string tail = " " + UnitSuffix(unit);
    if (value >= 1 && value <= 9)
        return "0." + digits + tail;
    if (value >= 10 && value <= 999)
        return digits.substr(0, digits.size() - 1) + "." + digits.back() + tail;
    if (unit == 'C')
        return digits.substr(0, 3) + "." + (digits.size() > 3 ? digits.substr(3, 1) : std::string()) + tail;
    return digits + tail;
}

} // namespace zelt
