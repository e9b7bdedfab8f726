#pragma once

// A round 18 x 18 lamp whose brush colour is the state it shows.

#include <QColor>
#include <QWidget>

namespace zelt {

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent = nullptr);

    QColor BrushColour() const { return brush_; }
    void SetBrushColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brush_;
};

} // namespace zelt
