#include "battery/ChoiceList.h"

#include <QComboBox>

namespace zelt {

int SelectedIndex(const QComboBox& list)
{
    return list.findText(list.currentText());
}

void SelectOrShow(QComboBox& list, int index, const QString& shown)
{
    if (index >= 0 && index < list.count()) {
        list.setCurrentIndex(index);
        return;
    }
    list.setCurrentIndex(-1);
    list.setEditText(shown);
}

void RenameItem(QComboBox& list, int index, const QString& text)
{
    const int selected = SelectedIndex(list);
    const QString shown = list.currentText();
    list.setItemText(index, text);
    SelectOrShow(list, selected, shown);
}

} // namespace zelt
