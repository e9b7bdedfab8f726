#include "config/PayloadFields.h"

#include "protocol/FieldText.h"
#include "status/StatusSnapshot.h"

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

std::string RowField(bool applied, std::size_t width, const std::function<std::string()>& dialog,
                     const std::function<std::string()>& reported)
{
    if (applied)
        return dialog();
    for (const auto* source : {&reported, &dialog}) {
        if (!*source)
            continue;
        try {
            return (*source)();
        } catch (const ERefused&) {
        } catch (const EConvertError&) {
        }
    }
    return std::string(width, '0');
}

std::string NumberRow(const std::string& caption, int width, bool applied, const std::optional<std::int32_t>& reported,
                      const std::function<std::int32_t()>& value)
{
    std::function<std::string()> fromReport;
    if (reported)
        fromReport = [&] { return FixedField(caption, *reported, width); };
    return RowField(applied, static_cast<std::size_t>(width), [&] { return FixedField(caption, value(), width); },
                    fromReport);
}

bool StatusReported(const StatusSnapshot& snapshot)
{
    return !snapshot.BattCurrentSign.empty();
}

} // namespace zelt
