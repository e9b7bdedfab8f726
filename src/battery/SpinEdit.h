#pragma once

// A spin edit of the date dialogs: a whole-number box with a range, at most
// a few characters, and a hook that runs when the operator leaves the box
// (before the box settles its text, so that the hook still sees it empty).

#include <QSpinBox>
#include <functional>

namespace zelt {

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TSpinEdit(const char* name, int minimum, int maximum, int maxLength, QWidget* parent = nullptr);

    std::function<void()> OnExit;

    bool IsEmpty() const { return cleanText().isEmpty(); }
    // Writes the minimum back into a box left empty.
    void FillEmpty();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace zelt
