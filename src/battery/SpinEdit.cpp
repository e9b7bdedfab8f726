#include "battery/SpinEdit.h"

#include "ui/StandardError.h"

#include <QLineEdit>

namespace zelt {

TSpinEdit::TSpinEdit(const char* name, int minimum, int maximum, int maxLength, QWidget* parent) : QSpinBox(parent)
{
    setObjectName(QString::fromLatin1(name));
    setRange(minimum, maximum);
    lineEdit()->setMaxLength(maxLength);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (OnTextChange)
            RunGuarded(OnTextChange);
    });
}

void TSpinEdit::FillEmpty()
{
    if (IsEmpty())
        setValue(minimum());
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    if (OnExit)
        RunGuarded(OnExit);
    QSpinBox::focusOutEvent(event);
}

} // namespace zelt
