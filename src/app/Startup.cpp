#include "app/Startup.h"

#include <QDir>
#include <QFile>

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

std::unique_ptr<QTemporaryDir> PrivateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zelt6380-runtime-XXXXXX"));
    if (!folder->isValid())
        return nullptr;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
    return folder;
}

} // namespace zelt
