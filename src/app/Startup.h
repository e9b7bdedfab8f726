#pragma once

// Start-up: the console's windows, created in their fixed order with the
// main window first; only the main window is shown.

#include "app/MainForm.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "serial/PortDialog.h"

#include <QTemporaryDir>
#include <memory>

namespace zelt {

// Members are destroyed in reverse order: the dialogs go before the main
// window whose port they refer to.
struct ConsoleWindows {
    std::unique_ptr<TMain_Form> mainForm;
    std::unique_ptr<TfrmComPort> comPort;
    // The configuration dialogs' hidden start-up instances.
    std::unique_ptr<TfrmSetting> setting;
    std::unique_ptr<TfrmInitial> initial;
    std::unique_ptr<TfrmADSetting> adSetting;
    std::unique_ptr<TfrmAlarm> alarm;
    std::unique_ptr<TForm1> form1;
};

ConsoleWindows StartConsole();

// Where no login session set XDG_RUNTIME_DIR (su, a service, a container),
// the toolkit warns at every start and falls back to a shared folder of its
// own. This makes a private one (mode 0700) and points the variable at it;
// it is removed with the returned object. Null when the variable is set.
std::unique_ptr<QTemporaryDir> PrivateRuntimeFolder();

} // namespace zelt
