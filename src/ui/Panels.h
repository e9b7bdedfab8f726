#pragma once

// Labels and panels of every window. Their text is always plain: much of it
// comes from the controller (communities, versions, dates), and a text such
// as "<i>pub" must show as those characters, never as markup.

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace zelt {

// A caption or any other label.
QLabel* NewPlainLabel(const QString& text = {}, QWidget* parent = nullptr);

// A sunken value panel on the window colour, of a fixed size.
QLabel* NewValuePanel(const QString& name, int width, int height, QWidget* parent = nullptr);

void SetBackgroundColour(QWidget& widget, const QColor& colour);

} // namespace zelt
