#include "ui/Lamp.h"

#include "ui/Colours.h"

#include <QPainter>

namespace zelt {

Lamp::Lamp(QWidget* parent)
    : QWidget(parent), brush_(LampLime)
{
    setFixedSize(18, 18);
}

void Lamp::SetBrushColour(const QColor& colour)
{
    if (colour == brush_)
        return;
    brush_ = colour;
    update();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush_);
    painter.drawEllipse(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
}

} // namespace zelt
