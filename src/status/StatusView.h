#pragma once

// What the status decoders write to: named texts, lamps and check boxes of the
// status pages. The main window's status area is the widget implementation;
// the interface itself needs no widgets, so a decoder can run headless.

#include "core/Rgb.h"

#include <string>
#include <string_view>

namespace zelt {

class StatusView {
public:
    virtual ~StatusView() = default;

    // Texts are the protocol's 8-bit texts, one character per byte.
    virtual void SetText(std::string_view name, const std::string& text) = 0;
    virtual std::string Text(std::string_view name) const = 0;

    virtual void SetLamp(std::string_view name, Rgb colour) = 0;
    virtual Rgb LampColour(std::string_view name) const = 0;

    // Background of a value panel or caption label; ClearBackground gives a
    // value panel back its normal window colour.
    virtual void SetBackground(std::string_view name, Rgb colour) = 0;
    virtual void ClearBackground(std::string_view name) = 0;
    virtual void SetFontSize(std::string_view name, int points) = 0;
    virtual void SetVisible(std::string_view name, bool visible) = 0;
    virtual void SetChecked(std::string_view name, bool checked) = 0;
};

} // namespace zelt
