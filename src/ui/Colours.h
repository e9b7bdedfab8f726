#pragma once

// The console's colours: lamp states, window, panel and label backgrounds.

#include "core/Rgb.h"

#include <QColor>

namespace zelt {

inline QColor ToQColor(Rgb colour)
{
    return QColor(colour.r, colour.g, colour.b);
}
inline Rgb ToRgb(const QColor& colour)
{
    return Rgb {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                static_cast<std::uint8_t>(colour.blue())};
}

inline const QColor LampRed = ToQColor(RgbRed);    // alarm or fault
inline const QColor LampLime = ToQColor(RgbLime);  // normal
inline const QColor LampGrey = ToQColor(RgbGrey);  // not applicable
inline const QColor MoneyGreen = ToQColor(RgbMoneyGreen);
inline const QColor TitleBlue{0, 0, 255};
inline const QColor AlertYellow = ToQColor(RgbYellow);

// The "window colour" of value panels: the palette's text-entry background.
QColor PanelWindowColour();

} // namespace zelt
