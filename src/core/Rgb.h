#pragma once

// A colour without Qt Gui, for code that runs headless as well: the status
// decoders name lamp and panel colours with it, the widgets turn it into a
// QColor (ui/Colours.h).

#include <cstdint>

namespace zelt {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb RgbRed {255, 0, 0};       // alarm or fault
inline constexpr Rgb RgbLime {0, 255, 0};      // normal
inline constexpr Rgb RgbGrey {128, 128, 128};  // not applicable
inline constexpr Rgb RgbMoneyGreen {192, 220, 192};
inline constexpr Rgb RgbYellow {255, 255, 0};

} // namespace zelt
