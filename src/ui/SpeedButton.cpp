#include "ui/SpeedButton.h"

#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

namespace zelt {

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool enabled = isEnabled();
    if (enabled && (isDown() || hovered_))
        qDrawShadePanel(&p, rect(), palette(), isDown(), 1);

    // Glyph and caption centred together; a caption wider than the room
    // left beside the glyph is narrowed to fit rather than cut.
    const int shift = isDown() ? 1 : 0;
    const QSize glyph = iconSize();
    const int gap = 2;
    const int textWidth = fontMetrics().horizontalAdvance(text().remove(QLatin1Char('&')));
    const int room = width() - 2 * gap - glyph.width() - gap;
    const int shownWidth = std::min(textWidth, room);
    const int left = (width() - glyph.width() - gap - shownWidth) / 2 + shift;
    const QRect glyphRect(left, (height() - glyph.height()) / 2 + shift, glyph.width(), glyph.height());
    icon().paint(&p, glyphRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);

    p.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.translate(glyphRect.right() + 1 + gap, shift);
    if (textWidth > room)
        p.scale(double(room) / textWidth, 1.0);
    p.drawText(QRect(0, 0, textWidth, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
}

void TSpeedButton::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace zelt
