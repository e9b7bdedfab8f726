#pragma once

// What the setting payloads share: the fields the controller reads at fixed
// widths, and the refusal of a value that would not fit its field. A payload
// whose fields are off by one character would shift every later field and
// the apply masks on the controller's side, so it is never sent.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace zelt {

// A value the console refuses to send. Its message names the row (by its
// caption) and what is wrong; it reaches the operator in the standard error box.
class ERefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// value as PadNumber writes it in width; refused when negative or wider.
std::string FixedField(const std::string& caption, std::int32_t value, int width);

// The value of a list read by its selected position; refused without a selection.
std::int32_t Chosen(const std::string& caption, const std::optional<std::int32_t>& value);

// A typed whole number: the standard conversion, whose failure shows
// "'<text>' is not a valid integer value".
std::int32_t TypedWhole(const std::string& text);

} // namespace zelt
