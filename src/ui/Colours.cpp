#include "ui/Colours.h"

#include <QApplication>
#include <QPalette>

namespace zelt {

// Without a GUI application (a headless decoder) there is no palette.
QColor PanelWindowColour()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return Qt::white;
    return QApplication::palette().color(QPalette::Base);
}

} // namespace zelt
