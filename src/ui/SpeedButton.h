#pragma once

// A flat toolbar button: a glyph and its caption packed tightly, so that the
// captions fit the toolbar's fixed button widths. A frame shows only while
// the pointer is over the button or it is pressed.

#include <QAbstractButton>

namespace zelt {

class TSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};

} // namespace zelt
