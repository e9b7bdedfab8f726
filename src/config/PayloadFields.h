#pragma once

// What the setting payloads share: the fields the controller reads at fixed
// widths, and the refusal of a value that would not fit its field. A payload
// whose fields are off by one character would shift every later field and
// the apply masks on the controller's side, so it is never sent.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace zelt {

struct StatusSnapshot;

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

// The text of one row's field. A ticked row sends the dialog's value, and a
// refusal or failed conversion of it stands. An unticked row is not applied:
// it carries what the controller last reported (reported may be empty), so
// that even a controller taking every field would change nothing; failing
// that, the dialog's value; failing that, width zeros.
std::string RowField(bool applied, std::size_t width, const std::function<std::string()>& dialog,
                     const std::function<std::string()>& reported);

// RowField for a decimal field of width digits; the dialog's value is value().
std::string NumberRow(const std::string& caption, int width, bool applied, const std::optional<std::int32_t>& reported,
                      const std::function<std::int32_t()>& value);

// True once a rectifier status record has been decoded: every record sets
// the battery current sign, which is empty before the first.
bool StatusReported(const StatusSnapshot& snapshot);

} // namespace zelt
