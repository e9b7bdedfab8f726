#pragma once

// Start-up: the console's windows, created in their fixed order with the
// main window first; only the main window is shown.

#include "app/MainForm.h"
#include "serial/PortDialog.h"

#include <memory>

namespace zelt {

// Members are destroyed in reverse order: the dialogs go before the main
// window whose port they refer to.
struct ConsoleWindows {
    std::unique_ptr<TMain_Form> mainForm;
    std::unique_ptr<TfrmComPort> comPort;
};

ConsoleWindows StartConsole();

} // namespace zelt
