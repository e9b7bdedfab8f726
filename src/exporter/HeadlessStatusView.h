#pragma once

// The status view of a plant without a window. The decoders read back two
// things they wrote (a lamp colour and the controller's date), so texts and
// lamps are kept; everything else is dropped. The exported numbers come from
// the status snapshot.

#include "status/StatusView.h"

#include <map>

namespace zelt {

class HeadlessStatusView : public StatusView {
public:
    void SetText(std::string_view name, const std::string& text) override;
    std::string Text(std::string_view name) const override;
    void SetLamp(std::string_view name, Rgb colour) override;
    Rgb LampColour(std::string_view name) const override;
    void SetBackground(std::string_view, Rgb) override {}
    void ClearBackground(std::string_view) override {}
    void SetFontSize(std::string_view, int) override {}
    void SetVisible(std::string_view, bool) override {}
    void SetChecked(std::string_view, bool) override {}

private:
    std::map<std::string, std::string, std::less<>> texts_;
    std::map<std::string, Rgb, std::less<>> lamps_;
};

} // namespace zelt
