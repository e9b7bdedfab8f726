#include "app/Startup.h"

namespace zelt {

ConsoleWindows StartConsole()
{
    ConsoleWindows windows;
    windows.mainForm = std::make_unique<TMain_Form>();
    TMain_Form& main = *windows.mainForm;
    windows.comPort = std::make_unique<TfrmComPort>(
        main.ComPort11(), main.Scheduler(), [&main](const QString& name) { main.SetPortPanelText(name); });
    RequestScheduler& scheduler = main.Scheduler();
    windows.setting = std::make_unique<TfrmSetting>(scheduler, main.Status().Snapshot());
    windows.initial = std::make_unique<TfrmInitial>(scheduler);
    windows.adSetting = std::make_unique<TfrmADSetting>(scheduler);
    windows.alarm = std::make_unique<TfrmAlarm>(scheduler, main.Status().Snapshot());
    windows.form1 = std::make_unique<TForm1>(scheduler, main.Status().Area());
    main.CreateHistoryWindows();
    main.showNormal();
    return windows;
}

} // namespace zelt
