#pragma once

// The buttons that end every settings dialog: "Setting" (compose and queue
// the command; the dialog stays open), "Select All" (tick the apply boxes),
// "Default" (factory values into the controls; nothing sent) and "Exit".

class QBoxLayout;
class QPushButton;

namespace zelt {

// Object names of the four buttons in one dialog; a null name leaves that
// button out (not every dialog has "Select All").
struct SettingButtonNames {
    const char* setting = nullptr;
    const char* selectAll = nullptr;
    const char* defaults = nullptr;
    const char* exit = nullptr;
};

struct SettingButtons {
    QPushButton* setting = nullptr;
    QPushButton* selectAll = nullptr;
    QPushButton* defaults = nullptr;
    QPushButton* exit = nullptr;
};

// Adds the named buttons to layout, in the order Setting, Select All,
// Default, Exit.
SettingButtons AddSettingButtons(QBoxLayout& layout, const SettingButtonNames& names);

} // namespace zelt
