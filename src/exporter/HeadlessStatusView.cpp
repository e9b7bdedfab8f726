#include "exporter/HeadlessStatusView.h"

namespace zelt {

void HeadlessStatusView::SetText(std::string_view name, const std::string& text)
{
    texts_.insert_or_assign(std::string(name), text);
}

std::string HeadlessStatusView::Text(std::string_view name) const
{
    const auto it = texts_.find(name);
    return it == texts_.end() ? std::string() : it->second;
}

void HeadlessStatusView::SetLamp(std::string_view name, Rgb colour)
{
    lamps_.insert_or_assign(std::string(name), colour);
}

// Every lamp starts lime.
Rgb HeadlessStatusView::LampColour(std::string_view name) const
{
    const auto it = lamps_.find(name);
    return it == lamps_.end() ? RgbLime : it->second;
}

} // namespace zelt
