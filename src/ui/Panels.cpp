#include "ui/Panels.h"

#include "ui/Colours.h"

#include <QLabel>

namespace zelt {

QLabel* NewPlainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QLabel* NewValuePanel(const QString& name, int width, int height, QWidget* parent)
{
    QLabel* panel = NewPlainLabel({}, parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedSize(width, height);
    panel->setContentsMargins(2, 0, 2, 0);
    SetBackgroundColour(*panel, PanelWindowColour());
    return panel;
}

void SetBackgroundColour(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace zelt
