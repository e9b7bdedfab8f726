#include "config/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace zelt {

TRadioGroup::TRadioGroup(const char* name, const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this))
{
    setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], this);
        item->setAccessibleName(caption + QLatin1Char(' ') + items[i]);
        buttons_->addButton(item, i);
        grid->addWidget(item, i / columns, i % columns);
    }
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit Click();
    });
}

int TRadioGroup::ItemIndex() const
{
    return buttons_->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    buttons_->button(index)->setChecked(true);
}

QRadioButton* TRadioGroup::Item(int index) const
{
    return static_cast<QRadioButton*>(buttons_->button(index));
}

} // namespace zelt
