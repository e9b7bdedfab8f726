#pragma once

// Selections of the editable drop-down lists of the battery windows. The
// text the list shows is what counts: a typed text that is no item selects
// nothing, and a code the lists do not know is shown as it came.

#include <QString>

class QComboBox;

namespace zelt {

// The index of the item whose text the list shows; -1 when none.
int SelectedIndex(const QComboBox& list);

// Selects item index, or when it is no item, nothing with shown as the text.
void SelectOrShow(QComboBox& list, int index, const QString& shown);

// Replaces the text of item index, keeping what the list shows selected.
void RenameItem(QComboBox& list, int index, const QString& text);

} // namespace zelt
