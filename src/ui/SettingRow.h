#pragma once

// What the settings dialogs share for their value rows: a caption, the value
// control, its unit and range texts, and the caption-less apply box at the
// right end that tells the controller to take the row's value.

#include <QString>
#include <QStringList>

#include <span>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

namespace zelt {

// An apply box: no caption of its own; assistive technology and UI
// automation find it by its row's caption.
QCheckBox* NewApplyBox(const char* name, const QString& rowCaption, QWidget* parent = nullptr);

// An editable drop-down list: the operator picks an entry or types.
QComboBox* NewValueList(const char* name, const QStringList& entries, QWidget* parent = nullptr);

// Ticks or clears every box of boxes ("Select All", and the clearing after
// a command is queued).
void SetApplyBoxes(std::span<QCheckBox* const> boxes, bool ticked);

struct SettingRow {
    QLabel* caption = nullptr;
    QWidget* value = nullptr;
    QLabel* unit = nullptr;
    QLabel* range = nullptr;
    QCheckBox* apply = nullptr;
};

// Adds one row to grid: caption (column 0), value (1), unit (2), range
// text (3) and an apply box named applyName (4). The value control's
// accessible name is the caption too. An empty unit or range leaves its
// cell empty; a null applyName adds no apply box.
SettingRow AddSettingRow(QGridLayout& grid, int row, const QString& caption, QWidget* value, const QString& unit,
                         const QString& range, const char* applyName);

} // namespace zelt
