#include "app/ToolbarGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zelt {

namespace {

QColor InkOf(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Exit:
    case Glyph::Disconnect:
    case Glyph::Alarm:
    case Glyph::HistoryClear:
        return QColor(192, 0, 0);
    case Glyph::Connect:
    case Glyph::Charge:
        return QColor(0, 128, 0);
    case Glyph::Discharge:
    case Glyph::Measure:
        return QColor(160, 96, 0);
    default:
        return QColor(0, 0, 160);
    }
}

void DrawBattery(QPainter& p, bool plus)
{
    p.drawRect(1, 4, 12, 8);
    p.drawRect(13, 6, 2, 4);
    p.drawLine(4, 8, 10, 8);
    if (plus)
        p.drawLine(7, 5, 7, 11);
}

void DrawList(QPainter& p)
{
    for (int y : {3, 8, 13}) {
        p.drawPoint(2, y);
        p.drawLine(5, y, 14, y);
    }
}

void Draw(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Exit: // door with an arrow leaving it
        p.drawRect(1, 1, 8, 14);
        p.drawLine(6, 8, 15, 8);
        p.drawLine(12, 5, 15, 8);
        p.drawLine(12, 11, 15, 8);
        break;
    case Glyph::Port: // plug
        p.drawRect(3, 5, 10, 7);
        p.drawLine(6, 1, 6, 5);
        p.drawLine(10, 1, 10, 5);
        p.drawLine(8, 12, 8, 15);
        break;
    case Glyph::Connect: // two linked ends
        p.drawEllipse(1, 5, 5, 5);
        p.drawEllipse(10, 5, 5, 5);
        p.drawLine(6, 8, 10, 8);
        break;
    case Glyph::Disconnect: // two ends apart
        p.drawEllipse(1, 5, 5, 5);
        p.drawEllipse(10, 5, 5, 5);
        p.drawLine(6, 6, 9, 10);
        break;
    case Glyph::Clock:
        p.drawEllipse(1, 1, 14, 14);
        p.drawLine(8, 8, 8, 4);
        p.drawLine(8, 8, 11, 10);
        break;
    case Glyph::Alarm: { // bell
        QPainterPath bell;
        bell.moveTo(2, 12);
        bell.lineTo(4, 10);
        bell.lineTo(4, 6);
        bell.cubicTo(4, 1, 12, 1, 12, 6);
        bell.lineTo(12, 10);
        bell.lineTo(14, 12);
        bell.closeSubpath();
        p.drawPath(bell);
        p.drawEllipse(7, 13, 2, 2);
        break;
    }
    case Glyph::Setting: // gear
        p.drawEllipse(4, 4, 8, 8);
        p.drawLine(8, 0, 8, 3);
        p.drawLine(8, 13, 8, 16);
        p.drawLine(0, 8, 3, 8);
        p.drawLine(13, 8, 16, 8);
        p.drawLine(2, 2, 4, 4);
        p.drawLine(12, 12, 14, 14);
        p.drawLine(2, 14, 4, 12);
        p.drawLine(12, 4, 14, 2);
        break;
    case Glyph::History:
        DrawList(p);
        break;
    case Glyph::HistoryClear:
        DrawList(p);
        p.drawLine(8, 6, 15, 15);
        p.drawLine(15, 6, 8, 15);
        break;
    case Glyph::Network: // three linked stations
        p.drawRect(6, 1, 4, 4);
        p.drawRect(1, 11, 4, 4);
        p.drawRect(11, 11, 4, 4);
        p.drawLine(8, 5, 8, 8);
        p.drawLine(3, 8, 13, 8);
        p.drawLine(3, 8, 3, 11);
        p.drawLine(13, 8, 13, 11);
        break;
    case Glyph::Measure: // gauge
        p.drawArc(1, 3, 14, 14, 0, 180 * 16);
        p.drawLine(8, 10, 12, 5);
        p.drawLine(1, 10, 15, 10);
        break;
    case Glyph::Charge:
        DrawBattery(p, true);
        break;
    case Glyph::Discharge:
        DrawBattery(p, false);
        break;
    case Glyph::Trend:
        p.drawLine(1, 1, 1, 14);
        p.drawLine(1, 14, 15, 14);
        p.drawPolyline(QPolygon({QPoint(3, 10), QPoint(6, 6), QPoint(9, 9), QPoint(14, 3)}));
        break;
    }
}

QPixmap Render(Glyph glyph, const QColor& ink)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.5));
    Draw(p, glyph);
    return pixmap;
}

} // namespace

QIcon ToolbarGlyph(Glyph glyph)
{
    QIcon icon;
    icon.addPixmap(Render(glyph, InkOf(glyph)), QIcon::Normal);
    icon.addPixmap(Render(glyph, QColor(128, 128, 128)), QIcon::Disabled);
    return icon;
}

} // namespace zelt
