#pragma once

// A spin edit of the date dialogs: a whole-number box with a range and at
// most a few characters. Two hooks: one runs at every change of its text
// (also to a text that is no value yet, such as an empty box), the other when
// the operator leaves the box (before the box settles its text, so that the
// hook still sees it empty).

#include <QSpinBox>
#include <functional>

namespace zelt {

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TSpinEdit(const char* name, int minimum, int maximum, int maxLength, QWidget* parent = nullptr);

    std::function<void()> OnTextChange;
    std::function<void()> OnExit;

    bool IsEmpty() const { return cleanText().isEmpty(); }
    // Writes the minimum back into a box left empty.
    void FillEmpty();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace zelt
