#include "ui/SettingButtons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace zelt {

namespace {

QPushButton* AddButton(QBoxLayout& layout, const char* name, const char* caption)
{
    if (name == nullptr)
        return nullptr;
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    layout.addWidget(button);
    return button;
}

} // namespace

SettingButtons AddSettingButtons(QBoxLayout& layout, const SettingButtonNames& names)
{
    SettingButtons buttons;
    buttons.setting = AddButton(layout, names.setting, "Setting");
    buttons.selectAll = AddButton(layout, names.selectAll, "Select All");
    buttons.defaults = AddButton(layout, names.defaults, "Default");
    buttons.exit = AddButton(layout, names.exit, "Exit");
    return buttons;
}

} // namespace zelt
