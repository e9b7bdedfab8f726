#include "app/Startup.h"

namespace zelt {

ConsoleWindows StartConsole()
{
    ConsoleWindows windows;
    windows.mainForm = std::make_unique<TMain_Form>();
    TMain_Form& main = *windows.mainForm;
    windows.comPort = std::make_unique<TfrmComPort>(
        main.ComPort11(), main.Scheduler(), [&main](const QString& name) { main.SetPortPanelText(name); });
    main.CreateHistoryWindows();
    main.showNormal();
    return windows;
}

} // namespace zelt
