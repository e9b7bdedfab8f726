#pragma once

// The push buttons of the battery test dialogs. None of them is pressed by
// Enter: the key that ends typing in a box must neither send nor throw away
// what was typed. Space still presses the button that has the focus.

class QPushButton;
class QWidget;

namespace zelt {

QPushButton* NewDialogButton(const char* name, const char* caption, QWidget* parent);

} // namespace zelt
