#pragma once

#include <QIcon>

namespace zelt {

enum class Glyph {
    Exit, Port, Connect, Disconnect, Clock, Alarm, Setting,
    History, HistoryClear, Network, Measure, Charge, Discharge, Trend,
};

// A 16 by 16 toolbar glyph with two states: coloured, and grey for a
// disabled button.
QIcon ToolbarGlyph(Glyph glyph);

} // namespace zelt
