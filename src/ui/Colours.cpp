#include "ui/Colours.h"

#include <QApplication>
#include <QPalette>

namespace zelt {

QColor PanelWindowColour()
{
    return QApplication::palette().color(QPalette::Base);
}

} // namespace zelt
