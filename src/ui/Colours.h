#pragma once

// The console's colours: lamp states, window, panel and label backgrounds.

#include <QColor>

namespace zelt {

inline const QColor LampRed{255, 0, 0};       // alarm or fault
inline const QColor LampLime{0, 255, 0};      // normal
inline const QColor LampGrey{128, 128, 128};  // not applicable
inline const QColor MoneyGreen{192, 220, 192};
inline const QColor TitleBlue{0, 0, 255};
inline const QColor AlertYellow{255, 255, 0};

// The "window colour" of value panels: the palette's text-entry background.
QColor PanelWindowColour();

} // namespace zelt
