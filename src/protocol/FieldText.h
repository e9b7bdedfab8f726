#pragma once

// Fixed-width field text helpers. Every payload on the wire is a run of
// zero-padded ASCII fields; these build and take apart such fields and turn
// received numbers into display text. Texts are 8-bit std::string throughout
// the protocol layer.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelt {

// Raised by StrToInt; its message is the console's standard conversion message.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one text-to-integer conversion of the program: optional leading blanks,
// optional sign, then decimal digits or "$" and hexadecimal digits. Anything
// else, an empty text or a value outside 32 bits throws EConvertError with
// "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// Decimal text right-aligned in width, every blank then replaced by '0'
// (so -5 in width 4 gives "00-5"); a longer text is not cut.
std::string ZeroFill(std::int32_t value, int width);

// Moves the first n characters of text into head and leaves the rest in text.
void SplitHead(std::string& text, std::size_t n, std::string& head);

// Leading zeros up to width 2, 3 or 4 for values 0..999; other values plain.
std::string PadNumber(std::int32_t value, int width);

// Whole number display text: value, a blank, then the unit suffix (" C" for C).
std::string FormatWhole(std::int32_t value, char unit);

// Tenths display text: one decimal for 1..999, whole text otherwise.
std::string FormatTenths(std::int32_t value, char unit);

} // namespace zelt
