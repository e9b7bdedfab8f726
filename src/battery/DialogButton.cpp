#include "battery/DialogButton.h"

#include <QPushButton>

namespace zelt {

QPushButton* NewDialogButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace zelt
