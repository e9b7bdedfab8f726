#include "ui/SettingRow.h"

#include "ui/Panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace zelt {

QCheckBox* NewApplyBox(const char* name, const QString& rowCaption, QWidget* parent)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(rowCaption.trimmed());
    return box;
}

QComboBox* NewValueList(const char* name, const QStringList& entries, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(true);
    // Typed text stays in the edit field only; it never becomes an entry.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    return list;
}

void SetApplyBoxes(std::span<QCheckBox* const> boxes, bool ticked)
{
    for (QCheckBox* box : boxes)
        box->setChecked(ticked);
}

SettingRow AddSettingRow(QGridLayout& grid, int row, const QString& caption, QWidget* value, const QString& unit,
                         const QString& range, const char* applyName)
{
    SettingRow r;
    r.caption = NewPlainLabel(caption);
    r.value = value;
    value->setAccessibleName(caption.trimmed());
    grid.addWidget(r.caption, row, 0);
    grid.addWidget(value, row, 1);
    if (!unit.isEmpty()) {
        r.unit = NewPlainLabel(unit);
        grid.addWidget(r.unit, row, 2);
    }
    if (!range.isEmpty()) {
        r.range = NewPlainLabel(range);
        grid.addWidget(r.range, row, 3);
    }
    if (applyName != nullptr) {
        r.apply = NewApplyBox(applyName, caption);
        grid.addWidget(r.apply, row, 4);
    }
    return r;
}

} // namespace zelt
