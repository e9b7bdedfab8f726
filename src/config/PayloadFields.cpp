#include "config/PayloadFields.h"

#include "protocol/FieldText.h"

namespace zelt {

std::string FixedField(const std::string& caption, std::int32_t value, int width)
{
    const std::string text = PadNumber(value, width);
    if (value < 0 || static_cast<int>(text.size()) != width)
        throw ERefused(caption + ": " + std::to_string(value) + " does not fit the controller's " +
                       std::to_string(width) + "-digit field; nothing was sent.");
    return text;
}

std::int32_t Chosen(const std::string& caption, const std::optional<std::int32_t>& value)
{
    if (!value)
        throw ERefused(caption + ": no entry of the list is chosen; pick one. Nothing was sent.");
    return *value;
}

std::int32_t TypedWhole(const std::string& text)
{
    return StrToInt(text);
}

} // namespace zelt
